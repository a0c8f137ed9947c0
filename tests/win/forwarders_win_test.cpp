// The Windows forwarders take each call's error code at the call, in the manner of Wine's
// conformance tests: the thread's last error is set to a poison value before the call,
// then the result and the error are checked together. A failure gives the call's own
// code, never the poison; a success gives 0, or the code the call reports with it.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/account.h"
#include "platform/device.h"
#include "platform/instance_mutex.h"
#include "platform/log_file.h"
#include "platform/pnp_update.h"
#include "platform/process.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/spooler.h"
#include "tests/support/text_convert.h"
#include "tests/win/spooler_fixture.h"

namespace {

using spooler_fixture::RunningUnderWine;

constexpr DWORD kPoison = 0xDEADBEEF;

template <class T>
void ExpectResult(const platform::Result<T>& result, bool ok, DWORD error) {
    EXPECT_EQ(result.ok(), ok);
    EXPECT_EQ(result.error, error);
}

TEST(Forwarders, Spooler) {
    auto& spooler = platform::Get<platform::Spooler>();
    platform::Dword needed = 0, count = 0;
    ::SetLastError(kPoison);
    ExpectResult(spooler.EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count), false,
                 ERROR_INSUFFICIENT_BUFFER);
    ASSERT_GT(needed, 0u);
    std::vector<unsigned char> buffer(needed);
    ::SetLastError(kPoison);
    ExpectResult(spooler.EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &count), true, 0);
    EXPECT_GT(count, 0u);

    platform::Handle printer = nullptr;
    ::SetLastError(kPoison);
    ExpectResult(spooler.OpenPrinterW(u"No such printer", &printer, nullptr), false,
                 ERROR_INVALID_PRINTER_NAME);
    // Wine's spooler refuses DPD_DELETE_UNUSED_FILES before it looks for the driver.
    ::SetLastError(kPoison);
    ExpectResult(spooler.DeletePrinterDriverExW(nullptr, nullptr, u"No such driver",
                                                platform::kDeleteUnusedFiles, platform::kDriverVersion3),
                 false, RunningUnderWine() ? ERROR_INVALID_PARAMETER : ERROR_UNKNOWN_PRINTER_DRIVER);
}

TEST(Forwarders, PnpUpdate) {
    auto& pnp = platform::Get<platform::PnpUpdate>();
    platform::Bool reboot = 7;
    // Windows fails for an INF that is not there; Wine's update reports a success, though
    // neither the INF nor a device of the hardware ID is there.
    ::SetLastError(kPoison);
    ExpectResult(pnp.UpdateDriverForPlugAndPlayDevicesW(nullptr, u"USBPRINT\\NOSUCHDEVICE",
                                                        u"C:\\windows\\no-such.inf",
                                                        platform::kInstallFlagNonInteractive, &reboot),
                 RunningUnderWine(), RunningUnderWine() ? 0 : ERROR_FILE_NOT_FOUND);
    ::SetLastError(kPoison);
    ExpectResult(pnp.SetupCopyOEMInfW(u"C:\\windows\\no-such.inf", nullptr, platform::kSpostPath, 0, nullptr,
                                      0, nullptr),
                 false, ERROR_FILE_NOT_FOUND);
}

// The user of the test's own token: a user SID (S-1-5-21-...), never LocalSystem's
// S-1-5-18, as Wine runs nothing as LocalSystem; a buffer too small is refused, not cut.
TEST(Forwarders, Account) {
    auto& account = platform::Get<platform::Account>();
    char16_t sid[192] = {};
    ::SetLastError(kPoison);
    ExpectResult(account.GetProcessUserSid(sid, 192), true, 0);
    EXPECT_EQ(Utf8(sid).rfind("S-1-5-21-", 0), 0u) << Utf8(sid);
    char16_t small[8] = {};
    ExpectResult(account.GetProcessUserSid(small, 8), false, ERROR_INSUFFICIENT_BUFFER);
}

TEST(Forwarders, Shell) {
    platform::ShellExecuteInfo start;
    // Without SEE_MASK_FLAG_NO_UI the shell tries to show a box of its own for the
    // failure, and Wine, without a window to show it on, then gives
    // ERROR_INVALID_WINDOW_HANDLE instead.
    start.mask = platform::kSeeMaskNoCloseProcess | platform::kSeeMaskFlagNoUi;
    start.verb = u"open";
    start.file = u"C:\\windows\\no-such-program.exe";
    start.process = &start;
    ::SetLastError(kPoison);
    ExpectResult(platform::Get<platform::Shell>().ShellExecuteExW(&start), false, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(start.process, nullptr);
}

TEST(Forwarders, Processes) {
    auto& processes = platform::Get<platform::Processes>();
    platform::Bool wow64 = 7;
    ::SetLastError(kPoison);
    ExpectResult(processes.IsWow64Process(processes.GetCurrentProcess(), &wow64), true, 0);
    EXPECT_NE(wow64, 7);

    char16_t line[] = u"no-such-program.exe";
    platform::ProcessInformation started;
    ::SetLastError(kPoison);
    ExpectResult(processes.CreateProcessW(u"C:\\windows\\no-such-program.exe", line, &started), false,
                 ERROR_FILE_NOT_FOUND);
    platform::Dword code = 0;
    ::SetLastError(kPoison);
    ExpectResult(processes.GetExitCodeProcess(nullptr, &code), false, ERROR_INVALID_HANDLE);
}

// CreateMutexW gives ERROR_ALREADY_EXISTS with a mutex that was there, and promises
// nothing with a new one: the forwarder gives 0 then, whatever the last error was.
TEST(Forwarders, Mutexes) {
    auto& mutexes = platform::Get<platform::Mutexes>();
    ::SetLastError(ERROR_ALREADY_EXISTS);
    platform::Result<platform::Handle> created = mutexes.CreateMutexW(u"Local\\TamrinForwarderTest");
    ExpectResult(created, true, 0);
    ::SetLastError(kPoison);
    platform::Result<platform::Handle> opened = mutexes.CreateMutexW(u"Local\\TamrinForwarderTest");
    ExpectResult(opened, true, ERROR_ALREADY_EXISTS);
    ::SetLastError(kPoison);
    ExpectResult(mutexes.CloseHandle(opened.value), true, 0);
    ExpectResult(mutexes.CloseHandle(created.value), true, 0);

    ::SetLastError(kPoison);
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, L"Local\\TamrinForwarderEvent");
    ExpectResult(mutexes.CreateMutexW(u"Local\\TamrinForwarderEvent"), false, ERROR_INVALID_HANDLE);
    ::CloseHandle(event);
}

// A private namespace of the Administrators: made, then found by a second caller. Wine 8
// lacks CreatePrivateNamespaceW, OpenPrivateNamespaceW and ClosePrivateNamespace (its
// CreateBoundaryDescriptorW is a stub): every call gives ERROR_PROC_NOT_FOUND there.
TEST(Forwarders, PrivateNamespaces) {
    auto& mutexes = platform::Get<platform::Mutexes>();
    ::SetLastError(kPoison);
    platform::Result<platform::Handle> made = mutexes.CreatePrivateNamespaceW(u"TamrinTest", u"TamrinTest");
    if (RunningUnderWine()) {
        ExpectResult(made, false, ERROR_PROC_NOT_FOUND);
        ::SetLastError(kPoison);
        ExpectResult(mutexes.OpenPrivateNamespaceW(u"TamrinTest", u"TamrinTest"), false,
                     ERROR_PROC_NOT_FOUND);
        return;
    }
    ExpectResult(made, true, 0);
    ::SetLastError(kPoison);
    ExpectResult(mutexes.CreatePrivateNamespaceW(u"TamrinTest", u"TamrinTest"), false, ERROR_ALREADY_EXISTS);
    ::SetLastError(kPoison);
    platform::Result<platform::Handle> opened = mutexes.OpenPrivateNamespaceW(u"TamrinTest", u"TamrinTest");
    ExpectResult(opened, true, 0);
    ExpectResult(mutexes.ClosePrivateNamespace(opened.value), true, 0);
    ExpectResult(mutexes.ClosePrivateNamespace(made.value), true, 0);
}

// CreateFileW with OPEN_ALWAYS gives ERROR_ALREADY_EXISTS with a file that was there.
TEST(Forwarders, LogFiles) {
    auto& files = platform::Get<platform::LogFiles>();
    wchar_t folder[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, folder), 0u);
    const std::u16string path = U16(std::wstring(folder) + L"tamrin-forwarder-test.log");
    ::DeleteFileW(Wide(path).c_str());
    auto open = [&](const std::u16string& file) {
        ::SetLastError(kPoison);
        return files.CreateFileW(file.c_str(), platform::kFileAppendData, platform::kFileShareRead,
                                 platform::kOpenAlways, platform::kFileAttributeNormal);
    };
    platform::Result<platform::Handle> created = open(path);
    ExpectResult(created, true, 0);
    platform::Dword written = 0;
    ::SetLastError(kPoison);
    ExpectResult(files.WriteFile(created.value, "line\r\n", 6, &written), true, 0);
    EXPECT_EQ(written, 6u);
    ExpectResult(files.CloseHandle(created.value), true, 0);

    platform::Result<platform::Handle> opened = open(path);
    ExpectResult(opened, true, ERROR_ALREADY_EXISTS);
    ::SetLastError(kPoison);
    ExpectResult(files.WriteFile(nullptr, "x", 1, &written), false, ERROR_INVALID_HANDLE);
    ExpectResult(files.CloseHandle(opened.value), true, 0);
    ::DeleteFileW(Wide(path).c_str());

    ExpectResult(open(U16(std::wstring(folder) + L"no\\such\\folder\\x.log")), false, ERROR_PATH_NOT_FOUND);
}

// What the log reads of the file it opened, without following a link: a new file is a
// regular one with one name and an owner (a planted folder and the name beside it are
// shown by the quiet mode's end-to-end test). For an account other than SYSTEM
// GetTempPath2W gives GetTempPathW's folder.
TEST(Forwarders, LogFileFacts) {
    auto& files = platform::Get<platform::LogFiles>();
    wchar_t folder[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, folder), 0u);
    char16_t temp2[MAX_PATH + 1];
    ASSERT_EQ(files.GetTempPath2W(MAX_PATH + 1, temp2), ::wcslen(folder));
    EXPECT_EQ(std::u16string(temp2), U16(folder));

    const std::u16string path = U16(std::wstring(folder) + L"tamrin-forwarder-facts.log");
    ::DeleteFileW(Wide(path).c_str());
    const platform::Dword access =
        platform::kFileAppendData | platform::kFileReadAttributes | platform::kReadControl;
    const platform::Dword flags = platform::kFileAttributeNormal | platform::kFileFlagOpenReparsePoint;
    ::SetLastError(kPoison);
    platform::Result<platform::Handle> created =
        files.CreateFileW(path.c_str(), access, platform::kFileShareRead, platform::kCreateNew, flags);
    ExpectResult(created, true, 0);
    platform::FileInformation info;
    ::SetLastError(kPoison);
    ExpectResult(files.GetFileInformationByHandle(created.value, &info), true, 0);
    EXPECT_EQ(info.attributes & (platform::kFileAttributeDirectory | platform::kFileAttributeReparsePoint),
              0u);
    EXPECT_EQ(info.numberOfLinks, 1u);
    char16_t owner[192];
    ::SetLastError(kPoison);
    ExpectResult(files.GetFileOwnerSid(created.value, owner, 192), true, 0);
    EXPECT_EQ(std::u16string(owner).substr(0, 6), u"S-1-5-");
    ExpectResult(files.GetFileOwnerSid(created.value, owner, 4), false, ERROR_INSUFFICIENT_BUFFER);

    ExpectResult(files.CloseHandle(created.value), true, 0);
    ::DeleteFileW(Wide(path).c_str());
}

TEST(Forwarders, DeviceIo) {
    auto& io = platform::Get<platform::DeviceIo>();
    ::SetLastError(kPoison);
    ExpectResult(io.CreateFileW(u"\\\\.\\TamrinNoSuchDevice", platform::kGenericRead, 0, nullptr,
                                platform::kOpenExisting, platform::kFileFlagOverlapped, nullptr),
                 false, ERROR_FILE_NOT_FOUND);
    ::SetLastError(kPoison);
    platform::Result<platform::Handle> event = io.CreateEventW(nullptr, 0, 0, nullptr);
    ExpectResult(event, true, 0);
    platform::Dword returned = 0;
    ::SetLastError(kPoison);
    ExpectResult(io.DeviceIoControl(event.value, 0x220034, nullptr, 0, nullptr, 0, &returned, nullptr), false,
                 ERROR_INVALID_HANDLE);
    ::CloseHandle(event.value);
}

}  // namespace
