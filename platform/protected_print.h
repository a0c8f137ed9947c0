// Windows protected print mode (Windows 11 24H2 and later, switched on in Settings or by
// policy), in which Windows takes no third-party printer driver.
#pragma once

#include "platform/types.h"

namespace platform {

struct ProtectedPrintReading {
    enum class State {
        Off,  // off, or a Windows without the mode (no combase.dll, function or class)
        On,
        Unknown,  // the mode could not be read: error is the HRESULT
    };
    State state = State::Off;
    Dword error = 0;
};

struct ProtectedPrint {
    // WindowsProtectedPrintInfo.IsProtectedPrintEnabled, asked on a thread of its own
    // (the Windows Runtime is initialised there, never on the caller's thread).
    virtual ProtectedPrintReading IsProtectedPrintEnabled() { return {}; }

protected:
    ~ProtectedPrint() = default;
};

}  // namespace platform
