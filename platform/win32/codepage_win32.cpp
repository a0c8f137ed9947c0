// 8-bit text conversion: forwarder to Windows.
#include <windows.h>

#include "platform/codepage.h"
#include "platform/services.h"
#include "platform/win32/casts.h"

namespace platform {
namespace {

struct Win32CodePage final : CodePage {
    int MultiByteToWideChar(Dword codePage, Dword flags, const char* src, int srcLength, char16_t* dst,
                            int dstCapacity) override {
        return ::MultiByteToWideChar(codePage, flags, src, srcLength, AsWide(dst), dstCapacity);
    }
};

}  // namespace

template <>
CodePage& Default<CodePage>() {
    static Win32CodePage instance;
    return instance;
}

}  // namespace platform
