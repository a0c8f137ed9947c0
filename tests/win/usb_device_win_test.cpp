// The device side against Wine's own services: setupapi's device enumeration with no USB
// printer attached, the configuration manager, and the device-ID request's event, wait,
// cancellation and completion on real kernel objects.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "engine/printer_installer.h"
#include "platform/device.h"
#include "platform/services.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"
#include "usb/device_rescan.h"
#include "usb/usb_port.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(NoUsbPrinterTest, OpenUsbPrinterFindsNoneAtOnce) {
    CUSBPort port;
    char16_t vid[usb::kIdCapacity] = u"v";
    char16_t pid[usb::kIdCapacity] = u"p";
    Clock::time_point start = Clock::now();
    EXPECT_EQ(port.OpenUsbPrinter(vid, pid), 0);
    EXPECT_LT(MillisecondsSince(start), 2000);
    EXPECT_FALSE(port.deviceHandle);
    EXPECT_EQ(vid[0], u'v');

    char16_t name[200] = u"unchanged";
    EXPECT_EQ(port.FindUsbPortName(name, 200), 0);
    EXPECT_EQ(name[0], u'u');
}

TEST(NoUsbPrinterTest, ReadUsbPrinterModelGivesZeroAndAnEmptyModel) {
    CPrinterInstaller installer;
    char16_t model[kNameCapacity] = u"KV-100";
    Clock::time_point start = Clock::now();
    EXPECT_EQ(installer.ReadUsbPrinterModel(model, kNameCapacity), 0);
    EXPECT_EQ(model[0], 0);
    EXPECT_LT(MillisecondsSince(start), 2000);
}

TEST(RescanDevicesWinTest, ReenumeratesOrSaysWhyNot) {
    testing::internal::CaptureStdout();
    std::int32_t result = usb::RescanDevices();
    std::string output = testing::internal::GetCapturedStdout();
    if (result == 1) {
        EXPECT_EQ(output, "");
    } else {
        EXPECT_EQ(result, 0);
        bool locate = output.rfind("CM_Locate_DevNode failed: ", 0) == 0;
        bool reenumerate = output.rfind("CM_Reenumerate_DevNode failed: ", 0) == 0;
        EXPECT_TRUE(locate || reenumerate) << output;
        EXPECT_EQ(output.back(), '\n');
    }
    CPrinterInstaller installer;
    testing::internal::CaptureStdout();
    EXPECT_EQ(installer.RescanDevices(), result);
    testing::internal::GetCapturedStdout();
}

// The configuration manager is loaded at run time from the system directory; the program
// must not import it.
TEST(RescanDevicesWinTest, ConfigurationManagerIsNotImported) {
    auto* base = reinterpret_cast<const BYTE*>(::GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    int imports = 0;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0;
         ++d) {
        const char* name = reinterpret_cast<const char*>(base + d->Name);
        EXPECT_NE(::lstrcmpiA(name, "cfgmgr32.dll"), 0);
        ++imports;
    }
    EXPECT_GT(imports, 0);
}

// The device-ID request on a real overlapped handle: the printer is played by the server
// end of a named pipe, and the request by a read from the client end, so that the event,
// the wait, the cancellation and the completion are the system's own.
class PipeDeviceIo final : public platform::DeviceIo {
public:
    using Result = platform::Result<platform::Bool>;
    platform::DeviceIo& real = platform::Default<platform::DeviceIo>();

    platform::Result<platform::Handle> CreateFileW(const char16_t* path, platform::Dword access,
                                                   platform::Dword share, void* security,
                                                   platform::Dword creation, platform::Dword flags,
                                                   platform::Handle tmpl) override {
        return real.CreateFileW(path, access, share, security, creation, flags, tmpl);
    }
    Result DeviceIoControl(platform::Handle device, platform::Dword, void*, platform::Dword, void* out,
                           platform::Dword outSize, platform::Dword* returned,
                           platform::Overlapped* overlapped) override {
        return platform::WithLastError<platform::Bool>(::ReadFile(device, out, outSize,
                                                                  reinterpret_cast<DWORD*>(returned),
                                                                  reinterpret_cast<OVERLAPPED*>(overlapped)));
    }
    Result GetOverlappedResult(platform::Handle device, platform::Overlapped* overlapped,
                               platform::Dword* transferred, platform::Bool wait) override {
        return real.GetOverlappedResult(device, overlapped, transferred, wait);
    }
    Result CancelIoEx(platform::Handle device, platform::Overlapped* overlapped) override {
        ++cancels;
        return real.CancelIoEx(device, overlapped);
    }
    platform::Result<platform::Handle> CreateEventW(void* security, platform::Bool manual,
                                                    platform::Bool initial, const char16_t* name) override {
        return real.CreateEventW(security, manual, initial, name);
    }

    int cancels = 0;

private:
    platform::ScopedService<platform::DeviceIo> scope_{*this};
};

class PipeDeviceTest : public testing::Test {
protected:
    void SetUp() override {
        std::wstring name = L"\\\\.\\pipe\\tamrin-usb-" + std::to_wstring(::GetCurrentProcessId());
        server = ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE,
                                    1, 4096, 4096, 0, nullptr);
        ASSERT_NE(server, INVALID_HANDLE_VALUE);
        // Opened as the printer is: read and write, no sharing, overlapped.
        platform::Result<platform::Handle> opened =
            io.CreateFileW(platform::AsU16(name.c_str()), platform::kGenericRead | platform::kGenericWrite, 0,
                           nullptr, platform::kOpenExisting, platform::kFileFlagOverlapped, nullptr);
        ASSERT_TRUE(opened.ok()) << opened.error;
        port.deviceHandle.reset(opened.value);
    }
    void TearDown() override {
        EXPECT_EQ(port.CloseDevice(), 1);
        ::CloseHandle(server);
    }
    void Answer(const std::string& bytes) {
        DWORD written = 0;
        OVERLAPPED overlapped{};
        overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!::WriteFile(server, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &overlapped)) {
            ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
            ASSERT_TRUE(::GetOverlappedResult(server, &overlapped, &written, TRUE));
        }
        ::CloseHandle(overlapped.hEvent);
        ASSERT_EQ(written, bytes.size());
    }

    PipeDeviceIo io;
    HANDLE server = INVALID_HANDLE_VALUE;
    CUSBPort port;
    std::uint8_t buffer[1024] = {};
    platform::Dword returned = 0;
};

const std::string kReply = std::string("\x00\x17", 2) + "MFG:KORVEL;MDL:KV-100;";

TEST_F(PipeDeviceTest, ReplyAlreadyThere) {
    Answer(kReply);
    EXPECT_NE(port.GetDeviceId(buffer, 1024, &returned), 0);
    EXPECT_EQ(returned, kReply.size());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), returned), kReply);
    EXPECT_EQ(io.cancels, 0);
}

TEST_F(PipeDeviceTest, ReplyWithinTheWait) {
    std::thread printer([this] {
        ::Sleep(100);
        Answer(kReply);
    });
    EXPECT_NE(port.GetDeviceId(buffer, 1024, &returned), 0);
    printer.join();
    EXPECT_EQ(returned, kReply.size());
    EXPECT_EQ(buffer[1], 0x17);
    EXPECT_EQ(io.cancels, 0);
}

TEST_F(PipeDeviceTest, NoReplyIsCancelledBeforeTheCallReturns) {
    Clock::time_point start = Clock::now();
    EXPECT_EQ(port.GetDeviceId(buffer, 1024, &returned), 0);
    long long elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 450);
    EXPECT_LT(elapsed, 3000);
    EXPECT_EQ(io.cancels, 1);

    // The request is over: a late answer stays in the pipe instead of landing in the
    // released buffer, and the next request receives it.
    Answer(kReply);
    ::Sleep(50);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[2], 0);
    EXPECT_NE(port.GetDeviceId(buffer, 1024, &returned), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), returned), kReply);
}

}  // namespace
