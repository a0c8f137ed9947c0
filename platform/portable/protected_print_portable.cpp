#include "platform/protected_print.h"
#include "platform/services.h"

namespace platform {

// No protected print mode outside Windows.
template <>
ProtectedPrint& Default<ProtectedPrint>() {
    static struct : ProtectedPrint {
    } instance;
    return instance;
}

}  // namespace platform
