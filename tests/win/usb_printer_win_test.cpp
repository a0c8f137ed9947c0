// The USB printer detection against a printer on Wine's device stack: the test USB printer
// (tests/usb_printer), plugged in and unplugged by its helper, found through setupapi's
// enumeration, opened, asked for its device ID, and tied to its port through the interface
// values in the registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>

#include "engine/printer_installer.h"
#include "usb/usb_port.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kDeviceIdText[] = "MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;";

// The helper named by TAMRIN_USB_PRINTER, run with the arguments; its exit code.
DWORD RunHelper(const std::wstring& arguments) {
    wchar_t value[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"TAMRIN_USB_PRINTER", value, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 255;
    std::wstring helper(value, n);
    if (helper[0] == L'/') helper = L"Z:" + helper;
    for (auto& c : helper) {
        if (c == L'/') c = L'\\';
    }
    std::wstring commandLine = L"\"" + helper + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 254;
    }
    DWORD code = 253;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

void Plug(const std::wstring& options) {
    ASSERT_EQ(RunHelper(L"plug --device-id \"MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;\" " + options), 0u)
        << "the helper could not plug the printer in with " << std::string(options.begin(), options.end());
}

class UsbPrinterTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(RunHelper(L"unplug"), 0u); }
};

TEST_F(UsbPrinterTest, ThePluggedPrinterIsFoundAskedAndTiedToItsPort) {
    Plug(L"--instance USB\\VID_1A2B&PID_3C4D\\KV0001");
    CUSBPort port;
    char16_t vid[usb::kIdCapacity] = {};
    char16_t pid[usb::kIdCapacity] = {};
    ASSERT_EQ(port.OpenUsbPrinter(vid, pid), 1);
    EXPECT_EQ(std::u16string(vid), u"1A2B");
    EXPECT_EQ(std::u16string(pid), u"3C4D");

    std::uint8_t reply[1024] = {};
    platform::Dword returned = 0;
    EXPECT_EQ(port.GetDeviceId(reply, sizeof reply, &returned), 1);
    const std::string text = kDeviceIdText;
    ASSERT_EQ(returned, text.size() + 2);
    EXPECT_EQ(reply[0], 0);
    EXPECT_EQ(reply[1], text.size() + 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(reply + 2)), text);
    EXPECT_EQ(port.CloseDevice(), 1);

    char16_t name[200] = u"unchanged";
    EXPECT_EQ(port.FindUsbPortName(name, 200), 1);
    EXPECT_EQ(std::u16string(name), u"USB001");
    EXPECT_FALSE(port.deviceHandle);
}

// The model as the driver selection page and the installation read it, for each way the
// printer answers the device-ID request; none of them holds the caller past the wait.
TEST_F(UsbPrinterTest, TheModelForEachAnswer) {
    struct Case {
        const wchar_t* answer;
        const char16_t* model;
        long long atLeastMs, belowMs;
    };
    const Case cases[] = {
        {L"now", u"KV-100", 0, 400},
        {L"150", u"KV-100", 140, 480},  // within the wait
        {L"never", u"", 480, 3000},     // cancelled when the wait ends
        {L"error", u"", 0, 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.answer, c.answer + wcslen(c.answer)));
        Plug(std::wstring(L"--answer ") + c.answer);
        for (int round = 0; round < 2; ++round) {  // a cancelled request leaves the device usable
            CPrinterInstaller installer;
            char16_t model[kNameCapacity] = u"stale";
            Clock::time_point start = Clock::now();
            EXPECT_EQ(installer.ReadUsbPrinterModel(model, kNameCapacity), 1);
            long long ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
            EXPECT_EQ(std::u16string(model), c.model);
            EXPECT_GE(ms, c.atLeastMs);
            EXPECT_LT(ms, c.belowMs);
        }
    }
}

TEST_F(UsbPrinterTest, APrinterWithoutVendorAndProductIdIsPassedOver) {
    Plug(L"--instance USB\\PRINTER\\KV0002");
    CUSBPort port;
    char16_t vid[usb::kIdCapacity] = u"v";
    char16_t pid[usb::kIdCapacity] = u"p";
    EXPECT_EQ(port.OpenUsbPrinter(vid, pid), 0);
    EXPECT_EQ(vid[0], u'v');
    char16_t name[200] = u"unchanged";
    EXPECT_EQ(port.FindUsbPortName(name, 200), 0);
}

// Its interface values stay in the registry, no longer linked.
TEST_F(UsbPrinterTest, AnUnpluggedPrinterIsGone) {
    Plug(L"--port 7");
    ASSERT_EQ(RunHelper(L"unplug"), 0u);
    CUSBPort port;
    char16_t vid[usb::kIdCapacity] = {};
    char16_t pid[usb::kIdCapacity] = {};
    EXPECT_EQ(port.OpenUsbPrinter(vid, pid), 0);
    char16_t name[200] = u"unchanged";
    EXPECT_EQ(port.FindUsbPortName(name, 200), 0);
    CPrinterInstaller installer;
    char16_t model[kNameCapacity] = u"stale";
    EXPECT_EQ(installer.ReadUsbPrinterModel(model, kNameCapacity), 0);
    EXPECT_EQ(model[0], 0);
}

}  // namespace
