// The running process and the programs it starts: forwarders to kernel32.
#include <windows.h>

#include "platform/process.h"
#include "platform/services.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"

namespace platform {
namespace {

static_assert(sizeof(ProcessInformation) == sizeof(PROCESS_INFORMATION));

struct Win32Processes final : Processes {
    Handle GetCurrentProcess() override { return ::GetCurrentProcess(); }
    Result<Bool> IsWow64Process(Handle process, Bool* wow64) override {
        // Looked up: a 32-bit Windows XP without its service packs lacks it, and the
        // program must still start there. kernel32 is always loaded.
        using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        auto isWow64 = kernel ? reinterpret_cast<IsWow64ProcessFn>(
                                    reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")))
                              : nullptr;
        if (!isWow64) return ProcNotFound<Bool>();
        BOOL result = FALSE;
        Result<Bool> called = WithLastError<Bool>(isWow64(process, &result));
        if (called.ok() && wow64) *wow64 = result;
        return called;
    }
    Result<Bool> IsWow64Process2(Handle process, std::uint16_t* processMachine,
                                 std::uint16_t* nativeMachine) override {
        using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        auto isWow64 = kernel ? reinterpret_cast<IsWow64Process2Fn>(
                                    reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process2")))
                              : nullptr;
        if (!isWow64) return ProcNotFound<Bool>();
        USHORT guest = 0, native = 0;
        Result<Bool> called = WithLastError<Bool>(isWow64(process, &guest, &native));
        if (called.ok()) {
            if (processMachine) *processMachine = guest;
            if (nativeMachine) *nativeMachine = native;
        }
        return called;
    }
    Result<Bool> GetMachineTypeAttributes(std::uint16_t machine, Dword* attributes) override {
        // HRESULT GetMachineTypeAttributes(USHORT, MACHINE_ATTRIBUTES*): an int-sized enum.
        using GetMachineTypeAttributesFn = HRESULT(WINAPI*)(USHORT, int*);
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        auto get = kernel ? reinterpret_cast<GetMachineTypeAttributesFn>(
                                reinterpret_cast<void*>(::GetProcAddress(kernel, "GetMachineTypeAttributes")))
                          : nullptr;
        if (!get) return ProcNotFound<Bool>();
        int value = 0;
        const HRESULT result = get(machine, &value);
        if (FAILED(result)) return {0, static_cast<Dword>(result)};
        if (attributes) *attributes = static_cast<Dword>(value);
        return {1, 0};
    }
    const char16_t* GetCommandLineW() override { return AsU16(::GetCommandLineW()); }
    Result<Bool> CreateProcessW(const char16_t* applicationName, char16_t* commandLine,
                                ProcessInformation* information) override {
        return Start(applicationName, commandLine, 0, information);
    }
    Result<Bool> CreateProcessSuspended(const char16_t* applicationName, char16_t* commandLine,
                                        ProcessInformation* information) override {
        return Start(applicationName, commandLine, CREATE_SUSPENDED, information);
    }
    Result<Bool> ResumeThread(Handle thread) override {
        return WithLastError<Bool>(::ResumeThread(thread) != static_cast<DWORD>(-1));
    }
    Result<Bool> TerminateProcess(Handle process, Dword exitCode) override {
        return WithLastError<Bool>(::TerminateProcess(process, exitCode));
    }
    Result<Bool> QueryFullProcessImageNameW(Handle process, Dword flags, char16_t* name,
                                            Dword* size) override {
        return WithLastError<Bool>(::QueryFullProcessImageNameW(process, flags, AsWide(name), AsDword(size)));
    }
    Result<Bool> GetExitCodeProcess(Handle process, Dword* exitCode) override {
        return WithLastError<Bool>(::GetExitCodeProcess(process, AsDword(exitCode)));
    }

private:
    static Result<Bool> Start(const char16_t* applicationName, char16_t* commandLine, DWORD flags,
                              ProcessInformation* information) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        return WithLastError<Bool>(::CreateProcessW(AsWide(applicationName), AsWide(commandLine), nullptr,
                                                    nullptr, FALSE, flags, nullptr, nullptr, &startup,
                                                    reinterpret_cast<PROCESS_INFORMATION*>(information)));
    }
};

}  // namespace

template <>
Processes& Default<Processes>() {
    static Win32Processes instance;
    return instance;
}

}  // namespace platform
