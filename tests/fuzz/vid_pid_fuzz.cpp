// Vendor and product ID of a device path or device instance ID (UTF-16LE input).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "usb/vid_pid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string path;
    for (std::size_t i = 0; i + 1 < size; i += 2) path.push_back(char16_t(data[i] | data[i + 1] << 8));

    char16_t* vid = new char16_t[usb::kIdCapacity];
    char16_t* pid = new char16_t[usb::kIdCapacity];
    vid[0] = pid[0] = u'#';
    bool found = usb::ParseVidPid(path.c_str(), vid, pid);
    if (found) {
        if (text::LengthBounded(vid, usb::kIdCapacity) >= usb::kIdCapacity) std::abort();
        if (text::LengthBounded(pid, usb::kIdCapacity) >= usb::kIdCapacity) std::abort();
        for (const char16_t* id : {vid, pid}) {
            for (const char16_t* c = id; *c != 0; ++c) {
                if (*c >= u'a' && *c <= u'z') std::abort();  // always upper case
            }
        }
    } else if (vid[0] != u'#' || pid[0] != u'#') {
        std::abort();  // outputs are written only on success
    }
    delete[] vid;
    delete[] pid;
    return 0;
}
