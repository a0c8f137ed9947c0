// Waiting for something the system does in its own time (a printer queue appearing),
// through the timing seam, so that tests count the time waited instead of spending it.
#pragma once

#include <optional>

#include "platform/services.h"
#include "platform/timing.h"
#include "platform/types.h"

namespace engine {

// Asks `done` at once, then after each period, until it answers true or `limit`
// milliseconds have been waited. The milliseconds waited before it answered true, or
// nothing when it never did.
template <class Check>
std::optional<platform::Dword> PollEvery(platform::Dword period, platform::Dword limit, Check done) {
    platform::Dword waited = 0;
    while (!done()) {
        if (waited >= limit) return std::nullopt;
        platform::Get<platform::Timing>().Sleep(period);
        waited += period;
    }
    return waited;
}

}  // namespace engine
