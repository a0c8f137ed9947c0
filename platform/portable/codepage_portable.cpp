// 8-bit text conversion outside Windows. The portable build's ANSI code page is GBK (code
// page 936), the code page of the Chinese systems the program is made for.
#include <cstring>
#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "platform/portable/gbk.h"
#include "platform/services.h"

namespace platform {
namespace {

constexpr Dword kAnsiCodePage = 0;  // CP_ACP
constexpr Dword kGbkCodePage = 936;

struct PortableCodePage final : CodePage {
    int MultiByteToWideChar(Dword codePage, Dword, const char* src, int srcLength, char16_t* dst,
                            int dstCapacity) override {
        if (codePage != kAnsiCodePage && codePage != kThreadAnsiCodePage && codePage != kGbkCodePage)
            return 0;
        if (src == nullptr || srcLength == 0 || srcLength < -1 || dstCapacity < 0) return 0;
        std::size_t length = srcLength == -1 ? std::strlen(src) + 1 : static_cast<std::size_t>(srcLength);
        std::u16string wide;
        try {
            wide = DecodeGbk(std::string_view(src, length));
        } catch (...) {
            return 0;
        }
        if (wide.empty()) return 0;
        if (dstCapacity == 0) return static_cast<int>(wide.size());
        if (wide.size() > static_cast<std::size_t>(dstCapacity)) return 0;  // as ERROR_INSUFFICIENT_BUFFER
        std::memcpy(dst, wide.data(), wide.size() * sizeof(char16_t));
        return static_cast<int>(wide.size());
    }
};

}  // namespace

template <>
CodePage& Default<CodePage>() {
    static PortableCodePage instance;
    return instance;
}

}  // namespace platform
