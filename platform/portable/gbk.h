// Code page 936 (GBK), the ANSI code page of the Chinese systems the program is made for.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The text of GBK bytes in UTF-16, as the system's converter gives it: a byte sequence
// that is not valid never stops the decoding but becomes a replacement character.
std::u16string DecodeGbk(std::string_view bytes);

}  // namespace platform
