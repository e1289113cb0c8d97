// When a call the host refused is sent again. A refused call was not carried out, so sending it
// again is safe. This is the only schedule: the message filter hands every refusal straight back
// (host/message_filter.h), so the binding's own loop in host/outgoing_calls.h is the one that
// waits and resends, on Windows and everywhere else alike.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <chrono>
#include <optional>

namespace dravosk::host {

// Retried for at most this long after the call was first sent, then the refusal is the call's
// failure.
inline constexpr std::chrono::milliseconds kRetryLimit{60'000};
// No pause is shorter: a shorter one would only add refused round trips.
inline constexpr std::chrono::milliseconds kShortestPause{100};

// RPC_E_CALL_REJECTED and RPC_E_SERVERCALL_RETRYLATER: the host is busy and did not run the call.
bool isRefusal(HRESULT hr) noexcept;

// The pause before the next attempt of a call first sent `elapsed` ago and refused again: 100 ms,
// then 200, 400 and 800, then 1 s each, the last one shortened so the final attempt falls on the
// limit; nullopt once less than kShortestPause is left before the limit.
std::optional<std::chrono::milliseconds> retryPause(std::chrono::milliseconds elapsed) noexcept;

}  // namespace dravosk::host
