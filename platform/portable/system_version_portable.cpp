// Outside Windows there is no Windows version to give.
#include "platform/services.h"
#include "platform/system_version.h"

namespace platform {
namespace {

struct NoSystemVersion final : SystemVersion {
    bool RtlGetVersion(OsVersion*) override { return false; }
};

}  // namespace

template <>
SystemVersion& Default<SystemVersion>() {
    static NoSystemVersion instance;
    return instance;
}

}  // namespace platform
