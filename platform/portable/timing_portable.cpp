// Pauses and a monotonic clock outside Windows.
#include <chrono>
#include <thread>

#include "platform/services.h"
#include "platform/timing.h"

namespace platform {
namespace {

struct ThreadTiming final : Timing {
    void Sleep(Dword milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    std::uint64_t GetTickCount64() override {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
};

}  // namespace

template <>
Timing& Default<Timing>() {
    static ThreadTiming instance;
    return instance;
}

}  // namespace platform
