#include "host/retry_policy.h"

#include <algorithm>

namespace dravosk::host {

bool isRefusal(HRESULT hr) noexcept {
    return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER;
}

std::optional<std::chrono::milliseconds> retryPause(std::chrono::milliseconds elapsed) noexcept {
    using std::chrono::milliseconds;
    const milliseconds left = kRetryLimit - elapsed;
    if (left < kShortestPause) {
        return std::nullopt;
    }
    // Reckoned from the time gone by rather than from a count of attempts: the pause doubles
    // while the time since the first attempt is within the pauses so far (0, 100, 300, 700 ms),
    // then stays at a second.
    milliseconds pause{1000};
    milliseconds sum{0};
    for (milliseconds step :
         {milliseconds{100}, milliseconds{200}, milliseconds{400}, milliseconds{800}}) {
        sum += step;
        if (elapsed < sum) {
            pause = step;
            break;
        }
    }
    return std::min(pause, left);
}

}  // namespace dravosk::host
