// The sizes of the installer's fixed buffers, in UTF-16 units with the terminator
// (bytes for the hardware ID).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// An ordered list of names owned by the caller; the engine only appends to it.
using StringList = std::vector<std::u16string>;

constexpr std::size_t kPathCapacity = 260;
constexpr std::size_t kNameCapacity = 200;
constexpr std::size_t kLanguageCapacity = 20;
constexpr std::size_t kSectionCapacity = 2048;
constexpr std::size_t kLineCapacity = 256;
// "PrinterDriver\" + "24pin\OEMPRINT.INF" must still fit behind the program's folder.
constexpr std::size_t kMaxProgramDirLength = kPathCapacity - 1 - 32;
constexpr std::size_t kDeviceIdCapacity = 1024;
constexpr std::size_t kHardwareIdCapacity = 1024;
constexpr std::size_t kCommandLineCapacity = 1024;
