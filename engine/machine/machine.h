// The machine the program runs on, as Windows tells it: the processor architecture
// Windows runs on, the program's own, whether it runs under WOW64, and the Windows
// version. Everything that depends on the machine asks this picture: which
// architecture's sections of a driver INF and which catalog an installation reads, and
// whether the x86 program hands its run over to the x64 one. A run reads it once for
// its start, and once for each installation it prepares.
#pragma once

#include "platform/system_version.h"

namespace engine {

enum class Architecture { X86, Amd64, Arm64 };

struct Machine {
    Architecture native = Architecture::X86;   // the machine Windows runs on
    Architecture program = Architecture::X86;  // the one this program is built for
    // The x86 program on 64-bit Windows, where Windows refuses it plug-and-play updates,
    // redirects it to the 32-bit printer interface and deletes x86 drivers for it.
    bool underWow64 = false;
    platform::OsVersion version;  // all zero when Windows does not tell it

    // Whether Windows runs x64 programs: x64 Windows does; ARM64 Windows does from
    // Windows 11 on, where the x64 program runs emulated (outside WOW64).
    bool x64ProgramsRun = false;

    // Whose drivers an installation installs: the ones Windows' device installer, a
    // native program, reads for this machine. The x86 program under WOW64 hands its run
    // over to the x64 one, which installs x64 drivers on x64 Windows and ARM64 drivers
    // under emulation on ARM64 Windows.
    Architecture DriverArchitecture() const {
        if (native == Architecture::Arm64) return Architecture::Arm64;
        return program == Architecture::Amd64 || underWow64 ? Architecture::Amd64 : Architecture::X86;
    }
    bool HandsOverToX64() const { return underWow64 && program == Architecture::X86; }
};

// The spooler's environment of an architecture's drivers, given to every driver call so
// that none is left to the caller's default (the emulated x64 program's is "Windows x64"
// on ARM64 Windows): "Windows NT x86", "Windows x64", "Windows ARM64".
const char16_t* SpoolerEnvironment(Architecture architecture);

// Reads the picture of this machine through the seam.
Machine ReadMachine();

}  // namespace engine
