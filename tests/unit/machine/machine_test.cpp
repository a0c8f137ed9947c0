// The picture of the machine, as IsWow64Process2 and GetMachineTypeAttributes tell it, and
// what each machine installs: the x64 program runs emulated on ARM64 Windows outside
// WOW64, where Windows' device installer reads the INF's NTarm64 sections ("INF
// Manufacturer Section", "INF Version Section") and the spooler keeps "Windows ARM64"
// drivers; Windows 10 on ARM runs no x64 program ("GetMachineTypeAttributes").
#include "engine/machine/machine.h"

#include <gtest/gtest.h>

#include "engine/inf/inf_catalog.h"
#include "engine/inf/models_section.h"
#include "tests/support/fake_processes.h"
#include "tests/support/text_convert.h"

namespace {

constexpr std::uint16_t kI386 = 0x014C, kAmd64 = 0x8664, kArm64 = 0xAA64;

TEST(Machine, EachMachineReadsItsOwnDriversAndHandsOverOnlyWhereX64ProgramsRun) {
    const bool x64 = sizeof(void*) == 8;
    const struct Row {
        const char* what;
        std::uint16_t processMachine, nativeMachine;
        std::optional<platform::Dword> amd64Attributes;
        bool programIsX64;  // the row holds for this build of the test only
        const char16_t* decoration;
        const char16_t* environment;
        bool handsOver, x64Runs;
    } rows[] = {
        {"x86 Windows", 0, kI386, {}, false, u"NTx86", u"Windows NT x86", false, false},
        {"x86 program on x64 Windows", kI386, kAmd64, {}, false, u"NTamd64", u"Windows x64", true, true},
        {"x64 program on x64 Windows", 0, kAmd64, {}, true, u"NTamd64", u"Windows x64", false, true},
        {"x86 program on Windows 11 on ARM", kI386, kArm64, 1, false, u"NTarm64", u"Windows ARM64", true, true},
        {"x86 program, x64 switched off", kI386, kArm64, 0, false, u"NTarm64", u"Windows ARM64", true, false},
        {"x86 program on Windows 10 on ARM", kI386, kArm64, {}, false, u"NTarm64", u"Windows ARM64", true, false},
        {"x64 program emulated on ARM64", 0, kArm64, 1, true, u"NTarm64", u"Windows ARM64", false, true},
    };
    for (const Row& row : rows) {
        if (row.programIsX64 != x64) continue;
        SCOPED_TRACE(row.what);
        FakeProcesses processes;
        processes.wow64Process2 = {{row.processMachine, row.nativeMachine}};
        processes.amd64Attributes = row.amd64Attributes;
        const engine::Machine machine = engine::ReadMachine();
        EXPECT_EQ(engine::CatalogDecoration(machine.DriverArchitecture()), row.decoration);
        EXPECT_EQ(Utf8(engine::SpoolerEnvironment(machine.DriverArchitecture())), Utf8(row.environment));
        EXPECT_EQ(machine.HandsOverToX64(), row.handsOver);
        EXPECT_EQ(machine.x64ProgramsRun, row.x64Runs);
    }
}

}  // namespace
