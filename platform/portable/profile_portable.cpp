// Profile files outside Windows: the portable INI reader.
#include "platform/portable/ini_reader.h"
#include "platform/services.h"

namespace platform {

template <>
Profile& Default<Profile>() {
    static IniProfile instance;
    return instance;
}

}  // namespace platform
