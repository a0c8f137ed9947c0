// 8-bit text conversion outside Windows. The portable build's ANSI code page is GBK (code
// page 936), the code page of the Chinese systems the program is made for; the GBK
// decoder is the one the portable profile reader uses.
#include <cstring>
#include <string>

#include "platform/codepage.h"
#include "platform/portable/ini_reader.h"
#include "platform/services.h"

namespace platform {
namespace {

constexpr Dword kAnsiCodePage = 0;  // CP_ACP
constexpr Dword kGbkCodePage = 936;

std::u16string DecodeGbk(const char* src, std::size_t length) {
    // The profile decoder honours a byte-order mark at the start of a file; a leading
    // ASCII character keeps 8-bit text from ever being taken for one.
    std::string bytes = "x";
    bytes.append(src, length);
    std::u16string wide = DecodeProfileBytes(bytes);
    if (wide.empty() || wide[0] != u'x') return {};
    return wide.substr(1);
}

struct PortableCodePage final : CodePage {
    int MultiByteToWideChar(Dword codePage, Dword, const char* src, int srcLength, char16_t* dst,
                            int dstCapacity) override {
        if (codePage != kAnsiCodePage && codePage != kThreadAnsiCodePage && codePage != kGbkCodePage)
            return 0;
        if (src == nullptr || srcLength == 0 || srcLength < -1 || dstCapacity < 0) return 0;
        std::size_t length = srcLength == -1 ? std::strlen(src) + 1 : static_cast<std::size_t>(srcLength);
        std::u16string wide;
        try {
            wide = DecodeGbk(src, length);
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
