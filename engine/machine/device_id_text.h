// The text of an IEEE 1284 device-ID reply and its model field.
#pragma once

#include <cstddef>
#include <cstdint>

// The reply's two length bytes are not trusted: the ID text starts at byte 2 and ends at
// the first zero byte, or at the end of the buffer when the reply filled it. Returns the
// number of text bytes (0 for a buffer of two bytes or less).
std::size_t DeviceIdTextLength(const std::uint8_t* reply, std::size_t size);

// The value of the first "MDL:" field (exact case): the characters after it up to the
// next ";", untrimmed. Without "MDL:", or without a ";" after it, the model is empty.
// The copy is bounded by capacity (characters, terminator included).
void ExtractModel(const char16_t* idText, char16_t* model, std::size_t capacity);
