#include "engine/machine/machine.h"

#include <cstdint>

#include "platform/process.h"
#include "platform/services.h"

namespace engine {
namespace {

constexpr std::uint16_t kMachineI386 = 0x014C;   // IMAGE_FILE_MACHINE_I386
constexpr std::uint16_t kMachineAmd64 = 0x8664;  // IMAGE_FILE_MACHINE_AMD64
constexpr std::uint16_t kMachineArm64 = 0xAA64;  // IMAGE_FILE_MACHINE_ARM64
constexpr platform::Dword kUserEnabled = 0x1;    // MACHINE_ATTRIBUTES UserEnabled

constexpr Architecture kThisProgram = sizeof(void*) == 8 ? Architecture::Amd64 : Architecture::X86;

}  // namespace

Machine ReadMachine() {
    Machine machine;
    machine.program = kThisProgram;
    machine.native = kThisProgram;
    auto& processes = platform::Get<platform::Processes>();
    // IsWow64Process2 (Windows 10 1709 and later) names the native machine, an ARM64 one
    // among them; before it, a process under WOW64 is an x86 one on x64 Windows.
    std::uint16_t processMachine = 0;
    std::uint16_t nativeMachine = 0;
    if (processes.IsWow64Process2(processes.GetCurrentProcess(), &processMachine, &nativeMachine).ok()) {
        machine.underWow64 = processMachine != 0;
        if (nativeMachine == kMachineAmd64) machine.native = Architecture::Amd64;
        if (nativeMachine == kMachineArm64) machine.native = Architecture::Arm64;
        if (nativeMachine == kMachineI386) machine.native = Architecture::X86;
    } else {
        platform::Bool wow64 = 0;
        machine.underWow64 = processes.IsWow64Process(processes.GetCurrentProcess(), &wow64).ok() && wow64;
        if (machine.underWow64) machine.native = Architecture::Amd64;
    }
    if (machine.native == Architecture::Arm64) {
        // GetMachineTypeAttributes (Windows 11) says whether x64 programs run; Windows 10
        // on ARM, which has no such call, runs none.
        platform::Dword attributes = 0;
        machine.x64ProgramsRun =
            processes.GetMachineTypeAttributes(kMachineAmd64, &attributes).ok() && (attributes & kUserEnabled) != 0;
    } else {
        machine.x64ProgramsRun = machine.native == Architecture::Amd64;
    }
    if (!platform::Get<platform::SystemVersion>().RtlGetVersion(&machine.version)) machine.version = {};
    return machine;
}

const char16_t* SpoolerEnvironment(Architecture architecture) {
    switch (architecture) {
        case Architecture::X86: return u"Windows NT x86";
        case Architecture::Amd64: return u"Windows x64";
        case Architecture::Arm64: return u"Windows ARM64";
    }
    return u"Windows NT x86";
}

}  // namespace engine
