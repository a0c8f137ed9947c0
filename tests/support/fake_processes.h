// The running process and the programs it starts, as the Windows calls behave by their
// documentation (IsWow64Process, CreateProcessW, GetExitCodeProcess, WaitForSingleObject,
// ResumeThread, TerminateProcess, QueryFullProcessImageNameW).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/process.h"
#include "tests/support/fake_kernel_objects.h"

class FakeProcesses final : public platform::Processes, public KernelObjectsFake {
public:
    using Dword = platform::Dword;
    using Result = platform::Result<platform::Bool>;
    enum class Wow64 { Yes, No, NoSuchCall };
    Wow64 wow64 = Wow64::Yes;
    std::u16string commandLine = u"\"C:\\Media\\tamrin32.exe\"";
    bool programThere = true;
    Dword startError = 0;  // another reason a start fails
    Dword exitCode = 0;
    Dword waitResult = 0;  // WAIT_OBJECT_0, or WAIT_TIMEOUT for a program that runs on
    bool exitCodeReadable = true;
    // The started program's image, in the object namespace and in Win32 form.
    std::u16string nativeName = u"\\Device\\HarddiskVolume3\\Media\\tamrin64.exe";
    std::u16string win32Name = u"C:\\Media\\tamrin64.exe";
    Dword nameError = 0;  // why neither name can be read

    std::vector<std::u16string> applications, commandLines;
    std::vector<Dword> waits;
    int open = 0, suspended = 0, resumed = 0, terminated = 0;
    std::function<void()> onStart;  // runs as the program starts

    platform::Handle GetCurrentProcess() override { return kSelf; }
    Result IsWow64Process(platform::Handle process, platform::Bool* result) override {
        EXPECT_EQ(process, kSelf);
        if (wow64 == Wow64::NoSuchCall) return Fail(127);  // ERROR_PROC_NOT_FOUND
        *result = wow64 == Wow64::Yes;
        return {1};
    }
    // IsWow64Process2 and GetMachineTypeAttributes, where the Windows has them.
    std::optional<std::pair<std::uint16_t, std::uint16_t>> wow64Process2;  // process, native machine
    std::optional<Dword> amd64Attributes;
    Result IsWow64Process2(platform::Handle, std::uint16_t* process, std::uint16_t* native) override {
        if (!wow64Process2) return Fail(127);
        *process = wow64Process2->first;
        *native = wow64Process2->second;
        return {1};
    }
    Result GetMachineTypeAttributes(std::uint16_t machine, Dword* attributes) override {
        if (!amd64Attributes) return Fail(127);
        EXPECT_EQ(machine, 0x8664);
        *attributes = *amd64Attributes;
        return {1};
    }
    const char16_t* GetCommandLineW() override { return commandLine.c_str(); }
    Result CreateProcessSuspended(const char16_t* application, char16_t* line,
                                  platform::ProcessInformation* information) override {
        ++suspended;
        return CreateProcessW(application, line, information);
    }
    Result ResumeThread(platform::Handle) override { return {++resumed}; }
    Result TerminateProcess(platform::Handle, Dword) override { return {++terminated}; }
    Result QueryFullProcessImageNameW(platform::Handle, Dword flags, char16_t* name, Dword* size) override {
        const std::u16string& image = flags == platform::kProcessNameNative ? nativeName : win32Name;
        if (nameError) return Fail(nameError);
        *size = static_cast<Dword>(image.copy(name, image.size()));
        name[*size] = 0;
        return {1};
    }
    Result CreateProcessW(const char16_t* application, char16_t* line,
                          platform::ProcessInformation* information) override {
        applications.push_back(application ? application : u"(none)");
        commandLines.push_back(line);
        if (!programThere) return Fail(2);
        if (startError) return Fail(startError);
        if (onStart) onStart();
        information->process = kProcess;
        information->thread = kThread;
        open += 2;
        return {1};
    }
    Result GetExitCodeProcess(platform::Handle process, Dword* code) override {
        EXPECT_EQ(process, kProcess);
        if (!exitCodeReadable) return Fail(6);
        *code = exitCode;
        return {1};
    }

private:
    static inline platform::Handle const kSelf = reinterpret_cast<platform::Handle>(-1);
    static inline platform::Handle const kProcess = reinterpret_cast<platform::Handle>(0x40);
    static inline platform::Handle const kThread = reinterpret_cast<platform::Handle>(0x44);

    static Result Fail(Dword error) { return {0, error}; }
    bool GaveOut(platform::Handle h) const override { return h == kProcess || h == kThread; }
    Dword Wait(platform::Handle h, Dword milliseconds) override {
        EXPECT_EQ(h, kProcess);
        waits.push_back(milliseconds);
        return waitResult;
    }
    platform::Bool Close(platform::Handle) override {
        --open;
        return 1;
    }

    platform::ScopedService<platform::Processes> scope_{*this};
};
