// Re-enumeration of the device tree from its root.
#pragma once

#include <cstdint>

namespace usb {

// Asks the configuration manager to enumerate the device tree again (it does not wait
// for the enumeration to end). 0 on failure, after a diagnostic line on standard output.
std::int32_t RescanDevices();

}  // namespace usb
