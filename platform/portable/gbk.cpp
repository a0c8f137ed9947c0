#include "platform/portable/gbk.h"

namespace platform {
namespace {

#include "platform/portable/gbk_table.inc"

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kFirstTrail = 0x40;
constexpr unsigned kLastTrail = 0xFE;
// The two single bytes above ASCII that stand for a character: the euro sign, and a
// private-use character for 0xFF.
constexpr unsigned kEuroByte = 0x80;
constexpr char16_t kEuroSign = 0x20AC;
constexpr unsigned kLastByte = 0xFF;
constexpr char16_t kLastByteCharacter = 0xF8F5;
// What a lead byte without a usable trail byte becomes.
constexpr char16_t kDefaultCharacter = u'?';

}  // namespace

// A lead byte takes the next byte along unless that is a zero or missing.
std::u16string DecodeGbk(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char16_t>(b));
        } else if (b == kEuroByte) {
            out.push_back(kEuroSign);
        } else if (b == kLastByte) {
            out.push_back(kLastByteCharacter);
        } else if (i + 1 < n && bytes[i + 1] != 0) {
            unsigned trail = static_cast<unsigned char>(bytes[++i]);
            bool mapped = trail >= kFirstTrail && trail <= kLastTrail;
            out.push_back(mapped ? kGbkTable[(b - kFirstLead) * kGbkTrailCount + (trail - kFirstTrail)]
                                 : kDefaultCharacter);
        } else {
            out.push_back(kDefaultCharacter);
        }
    }
    return out;
}

}  // namespace platform
