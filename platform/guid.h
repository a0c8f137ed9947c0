// A globally unique identifier, laid out as the platform's GUID.
#pragma once

#include <cstdint>

namespace platform {

struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

}  // namespace platform
