#include "usb/vid_pid.h"

#include "platform/text.h"

namespace usb {
namespace {

constexpr std::size_t kMarkerLength = 4;  // "VID_", "PID_"

// The at most four characters after the marker at position at.
void TakeId(const char16_t* upper, std::size_t at, char16_t* id) {
    const char16_t* from = upper + at + kMarkerLength;
    std::size_t n = text::LengthBounded(from, kIdCapacity - 1);
    for (std::size_t i = 0; i < n; ++i) id[i] = from[i];
    id[n] = 0;
}

}  // namespace

bool ParseVidPid(const char16_t* text, char16_t* vid, char16_t* pid) {
    char16_t upper[kDevicePathCapacity];
    text::Copy(upper, kDevicePathCapacity, text);
    for (char16_t* c = upper; *c != 0; ++c) *c = text::UpperAscii(*c);

    std::size_t v = text::Find(upper, u"VID_");
    if (v == text::npos) return false;
    std::size_t p = text::Find(upper, u"PID_");
    if (p == text::npos) return false;

    TakeId(upper, v, vid);
    TakeId(upper, p, pid);
    return true;
}

std::u16string InstanceIdOfInterface(const char16_t* devicePath) {
    std::u16string path = devicePath ? devicePath : u"";
    const std::size_t guid = path.rfind(u"#{");
    if (path.rfind(u"\\\\?\\", 0) != 0 || guid == std::u16string::npos || guid <= 4) return {};
    std::u16string instance = path.substr(4, guid - 4);
    for (char16_t& c : instance) {
        if (c == u'#') c = u'\\';
    }
    return instance;
}

}  // namespace usb
