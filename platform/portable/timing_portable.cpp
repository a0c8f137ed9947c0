// Pauses outside Windows.
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
};

}  // namespace

template <>
Timing& Default<Timing>() {
    static ThreadTiming instance;
    return instance;
}

}  // namespace platform
