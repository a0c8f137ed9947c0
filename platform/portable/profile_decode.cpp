// Decoding with the replacement rules of the system's converters: a byte sequence that is
// not valid never stops the decoding.
#include "platform/portable/profile_decode.h"

#include <string_view>

#include "platform/portable/gbk.h"

namespace platform {
namespace {

// Byte-order marks.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

constexpr char32_t kInvalid = 0xFFFFFFFF;
constexpr char16_t kReplacement = 0xFFFD;

unsigned ByteAt(const std::string& bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

void DecodeUtf16(const std::string& bytes, std::size_t start, bool bigEndian, std::u16string& out) {
    std::size_t i = start;
    for (; i + 1 < bytes.size(); i += 2) {
        unsigned first = ByteAt(bytes, i);
        unsigned second = ByteAt(bytes, i + 1);
        out.push_back(static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first)));
    }
    // An odd last byte stands for a character of its own.
    if (i < bytes.size()) out.push_back(static_cast<char16_t>(ByteAt(bytes, i)));
}

// One UTF-8 sequence after its lead byte. `end` is where a complete sequence would end;
// `pos` moves past the continuation bytes that were accepted, so that a broken sequence
// gives one replacement character and decoding resumes at the first byte not accepted.
char32_t DecodeUtf8Sequence(const std::string& bytes, std::size_t& pos, std::size_t end, unsigned lead,
                            unsigned trailCount) {
    static constexpr unsigned kLeadMask[4] = {0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = lead & kLeadMask[trailCount];
    unsigned c = 0;
    switch (trailCount) {
        case 3:
            if ((c = ByteAt(bytes, end - 3) ^ 0x80u) >= 0x40) return kInvalid;
            code = code << 6 | c;
            ++pos;
            if (code < 0x10) return kInvalid;  // overlong
            [[fallthrough]];
        case 2:
            if ((c = ByteAt(bytes, end - 2) ^ 0x80u) >= 0x40) return kInvalid;
            code = code << 6 | c;
            if (code >= (0x110000 >> 6)) return kInvalid;  // beyond U+10FFFF
            ++pos;
            if (code < 0x20) return kInvalid;                                     // overlong
            if (code >= (0xD800 >> 6) && code <= (0xDFFF >> 6)) return kInvalid;  // surrogate
            [[fallthrough]];
        case 1:
            if ((c = ByteAt(bytes, end - 1) ^ 0x80u) >= 0x40) return kInvalid;
            code = code << 6 | c;
            ++pos;
            if (code < 0x80) return kInvalid;  // overlong
            return code;
        default:
            return kInvalid;
    }
}

void DecodeUtf8(const std::string& bytes, std::size_t start, std::u16string& out) {
    const std::size_t n = bytes.size();
    std::size_t i = start;
    while (i < n) {
        unsigned lead = ByteAt(bytes, i++);
        if (lead < 0x80) {
            out.push_back(static_cast<char16_t>(lead));
            continue;
        }
        unsigned trailCount = (lead >= 0xC2 && lead <= 0xDF)   ? 1
                              : (lead >= 0xE0 && lead <= 0xEF) ? 2
                              : (lead >= 0xF0 && lead <= 0xF4) ? 3
                                                               : 0;
        std::size_t end = i + trailCount;
        if (end > n) {
            // A sequence cut by the end of the data takes the rest of it along.
            out.push_back(kReplacement);
            break;
        }
        char32_t code = DecodeUtf8Sequence(bytes, i, end, lead, trailCount);
        if (code == kInvalid) {
            out.push_back(kReplacement);
        } else if (code < 0x10000) {
            out.push_back(static_cast<char16_t>(code));
        } else {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        }
    }
}

bool StartsWithBytes(const std::string& bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() && std::string_view(bytes).substr(0, prefix.size()) == prefix;
}

}  // namespace

std::u16string DecodeProfileBytes(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    if (StartsWithBytes(bytes, kUtf8Mark)) {
        DecodeUtf8(bytes, kUtf8Mark.size(), out);
    } else if (StartsWithBytes(bytes, kUtf16LeMark)) {
        DecodeUtf16(bytes, kUtf16LeMark.size(), false, out);
    } else if (StartsWithBytes(bytes, kUtf16BeMark)) {
        DecodeUtf16(bytes, kUtf16BeMark.size(), true, out);
    } else {
        out = DecodeGbk(bytes);
    }
    return out;
}

}  // namespace platform
