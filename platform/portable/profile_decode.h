// The bytes of a profile file as text.
#pragma once

#include <string>

namespace platform {

// Decodes the bytes of a profile file to UTF-16: UTF-16LE with a byte-order mark,
// UTF-8 with a byte-order mark (UTF-16BE with its mark, too), otherwise the GBK code
// page (936).
std::u16string DecodeProfileBytes(const std::string& bytes);

}  // namespace platform
