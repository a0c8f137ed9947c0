// The reply of a USB printer to the device-ID request (IEEE 1284): two length bytes,
// most significant first, counting themselves, then the ID text.
#pragma once

#include <string>

inline std::string DeviceIdReply(const std::string& idText) {
    std::size_t length = idText.size() + 2;
    return std::string{static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)} + idText;
}
