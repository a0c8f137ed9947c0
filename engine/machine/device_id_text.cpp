#include "engine/machine/device_id_text.h"

#include "platform/text.h"

std::size_t DeviceIdTextLength(const std::uint8_t* reply, std::size_t size) {
    std::size_t n = 0;
    for (std::size_t i = 2; i < size && reply[i] != 0; ++i) ++n;
    return n;
}

void ExtractModel(const char16_t* idText, char16_t* model, std::size_t capacity) {
    if (capacity == 0) return;
    model[0] = 0;
    std::size_t key = text::Find(idText, u"MDL:");
    if (key == text::npos) return;
    std::size_t start = key + 4;
    std::size_t end = text::Find(idText, u";", start);
    if (end == text::npos) return;
    std::size_t length = end - start;
    if (length > capacity - 1) length = capacity - 1;
    for (std::size_t i = 0; i < length; ++i) model[i] = idText[start + i];
    model[length] = 0;
}
