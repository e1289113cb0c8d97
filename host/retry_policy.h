// When a call the host refused is sent again. A refused call was not carried out, so sending it
// again is safe. Used for every call the binding makes, and meant for a message filter's
// RetryRejectedCall too (which the platform's runtime asks with the time since the call began),
// so both paths keep the same schedule and give up at the same time.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <chrono>
#include <optional>

namespace dravosk::host {

// Retried for this long after the call was first sent, then the refusal is the call's failure.
inline constexpr std::chrono::milliseconds kRetryLimit{60'000};

// RPC_E_CALL_REJECTED and RPC_E_SERVERCALL_RETRYLATER: the host is busy and did not run the call.
bool isRefusal(HRESULT hr) noexcept;

// The pause before the next attempt of a call first sent `elapsed` ago and refused again: 100 ms,
// then 200, 400 and 800, then 1 s each, the last one shortened so the final attempt falls on the
// limit; nullopt once the limit is reached.
std::optional<std::chrono::milliseconds> retryPause(std::chrono::milliseconds elapsed) noexcept;

}  // namespace dravosk::host
