// The device tree re-scan belongs to the USB side; the installer offers it as its own.
#include "usb/device_rescan.h"

#include "engine/printer_installer.h"

std::int32_t CPrinterInstaller::RescanDevices() {
    return usb::RescanDevices();
}
