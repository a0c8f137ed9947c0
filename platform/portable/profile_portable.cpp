// Profile files: the portable INI reader, on every system.
#include "platform/portable/ini_reader.h"
#include "platform/services.h"

namespace platform {

template <>
Profile& Default<Profile>() {
    static IniProfile instance;
    return instance;
}

}  // namespace platform
