// The model field of a device-ID reply: any bytes the printer may send.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/machine/device_id_text.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reply lands in a zeroed buffer of 1024 bytes; a longer one is cut by the request.
    std::uint8_t reply[1024] = {};
    std::memcpy(reply, data, size < sizeof reply ? size : sizeof reply);

    std::size_t length = DeviceIdTextLength(reply, sizeof reply);
    if (length > sizeof reply - 2) std::abort();
    char16_t idText[1024] = {};
    for (std::size_t i = 0; i < length; ++i) idText[i] = reply[2 + i];

    char16_t model[200];
    ExtractModel(idText, model, 200);
    std::size_t modelLength = text::LengthBounded(model, 200);
    if (modelLength >= 200) std::abort();

    // A model is always the start of the text behind the first "MDL:", closed by ";".
    if (modelLength > 0) {
        std::size_t key = text::Find(idText, u"MDL:");
        if (key == text::npos || !text::StartsWith(idText + key + 4, model, modelLength)) std::abort();
    }

    // A small capacity cuts without writing beyond it.
    char16_t* small = new char16_t[3];
    ExtractModel(idText, small, 3);
    if (text::LengthBounded(small, 3) >= 3) std::abort();
    delete[] small;
    return 0;
}
