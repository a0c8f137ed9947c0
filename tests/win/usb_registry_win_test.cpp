// The port monitor's registry data read through the system's registry and setupapi: the
// test writes interface subkeys below the USB printing interface class key of its own
// Wine prefix, then reads them with the real registry forwarder. The printer itself comes
// from the in-memory device fakes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/text.h"
#include "tests/support/fake_devices.h"
#include "usb/interface_value.h"
#include "usb/usb_port.h"

namespace {

const wchar_t kClassKeyPath[] =
    L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const wchar_t kPrinterInstance[] = L"USB\\VID_12AB&PID_34CD\\5&1A2B3C4D&0&1";

std::wstring SubkeyName(const std::wstring& instance) {
    std::wstring name = L"##?#" + instance + L"#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    for (auto& c : name) {
        if (c == L'\\') c = L'#';
    }
    return name;
}

class ClassKeyTest : public testing::Test {
protected:
    void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kClassKeyPath); }

    static void SetValue(const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
                         DWORD size) {
        std::wstring full = std::wstring(kClassKeyPath) + L"\\" + path;
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                    nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
    static void SetDword(const std::wstring& path, const wchar_t* name, DWORD value) {
        SetValue(path, name, REG_DWORD, &value, sizeof value);
    }
    static void SetText(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
        SetValue(path, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    // The values the port monitor keeps for one interface.
    static std::wstring AddInterface(const std::wstring& instance, DWORD linked, DWORD portNumber) {
        std::wstring name = SubkeyName(instance);
        SetText(name, L"DeviceInstance", instance);
        SetText(name + L"\\#", L"SymbolicLink", L"\\\\?\\" + name.substr(4));
        SetDword(name + L"\\#\\Control", L"Linked", linked);
        SetDword(name + L"\\#\\Device Parameters", L"Port Number", portNumber);
        SetText(name + L"\\#\\Device Parameters", L"Port Description", L"Virtual printer port for USB");
        return name;
    }

    std::string Read(int selector, DWORD index, std::int32_t* noMore = nullptr) {
        char16_t text[256] = {};
        std::int32_t noMoreSubkeys = -1;
        std::int32_t ok = port.ReadInterfaceValue(selector, index, text, 256, &noMoreSubkeys);
        if (noMore) *noMore = noMoreSubkeys;
        return ok ? text::ToUtf8(text) : "<not read>";
    }

    CUSBPort port;
};

TEST_F(ClassKeyTest, EveryInterfaceValueAtItsPath) {
    std::wstring name = AddInterface(kPrinterInstance, 1, 3);
    std::int32_t noMore = -1;
    EXPECT_EQ(Read(usb::kDeviceInstance, 0, &noMore), "USB\\VID_12AB&PID_34CD\\5&1A2B3C4D&0&1");
    EXPECT_EQ(noMore, 0);
    EXPECT_EQ(Read(usb::kSymbolicLink, 0),
              "\\\\?\\" + text::ToUtf8(std::u16string(name.begin() + 4, name.end())));
    EXPECT_EQ(Read(usb::kLinked, 0), "1");
    EXPECT_EQ(Read(usb::kPortDescription, 0), "Virtual printer port for USB");
    EXPECT_EQ(Read(usb::kPortNumber, 0), "3");
    EXPECT_EQ(Read(usb::kDeviceInstance, 1, &noMore), "<not read>");
    EXPECT_EQ(noMore, 1);
}

TEST_F(ClassKeyTest, WithoutTheClassKeyTheScanEnds) {
    std::int32_t noMore = -1;
    EXPECT_EQ(Read(usb::kDeviceInstance, 0, &noMore), "<not read>");
    EXPECT_EQ(noMore, 1);
}

TEST_F(ClassKeyTest, TextStoredWithoutTerminatorOrWithAnOddByteCount) {
    std::wstring name = SubkeyName(L"USB\\VID_1111&PID_2222\\1");
    SetValue(name, L"DeviceInstance", REG_SZ, L"USB\\VID_1", 9 * sizeof(wchar_t));
    EXPECT_EQ(Read(usb::kDeviceInstance, 0), "USB\\VID_1");
    SetValue(name, L"DeviceInstance", REG_SZ, L"USB\\VID_2", 9 * sizeof(wchar_t) + 1);
    EXPECT_EQ(Read(usb::kDeviceInstance, 0), "USB\\VID_2");
    SetValue(name + L"\\#\\Control", L"Linked", REG_BINARY, L"1", 4);
    EXPECT_EQ(Read(usb::kLinked, 0), "<not read>");
    SetValue(name + L"\\#\\Device Parameters", L"Port Number", REG_SZ, L"7", 4);
    EXPECT_EQ(Read(usb::kPortNumber, 0), "7");
}

TEST_F(ClassKeyTest, DataOfMoreThan256BytesIsNotRead) {
    std::wstring fits = std::wstring(L"USB\\VID_1111&PID_2222\\") + std::wstring(127 - 22, L'x');
    std::wstring name = SubkeyName(L"a");
    SetText(name, L"DeviceInstance", fits);
    EXPECT_EQ(Read(usb::kDeviceInstance, 0).size(), 127u);
    SetText(name, L"DeviceInstance", fits + L"x");
    EXPECT_EQ(Read(usb::kDeviceInstance, 0), "<not read>");
    SetText(name, L"DeviceInstance", std::wstring(400, L'y'));  // beyond the working buffer
    EXPECT_EQ(Read(usb::kDeviceInstance, 0), "<not read>");
}

class FindUsbPortNameWinTest : public ClassKeyTest {
protected:
    std::string Find() {
        char16_t name[200] = u"unchanged";
        std::int32_t result = port.FindUsbPortName(name, 200);
        EXPECT_EQ(result, text::Equal(name, u"unchanged") ? 0 : 1);
        EXPECT_FALSE(port.deviceHandle);
        EXPECT_TRUE(io.openDevices.empty());
        return text::ToUtf8(name);
    }

    FakeDeviceInterfaces interfaces;
    FakeDeviceIo io;
};

TEST_F(FindUsbPortNameWinTest, FindsThePortOfTheLinkedInterfaceOfThePrinter) {
    interfaces.paths = {
        u"\\\\?\\usb#vid_12ab&pid_34cd#5&1a2b3c4d&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"};
    AddInterface(L"USB\\VID_12AB&PID_9999\\1", 1, 1);
    AddInterface(L"USB\\VID_9999&PID_34CD\\2", 1, 2);
    AddInterface(L"USB\\VID_12AB&PID_34CD\\old", 0, 3);
    std::wstring text = AddInterface(L"USB\\VID_12AB&PID_34CD\\text", 0, 0);
    SetText(text + L"\\#\\Control", L"Linked", L"0");
    AddInterface(kPrinterInstance, 1, 12);
    EXPECT_EQ(Find(), "USB012");
}

TEST_F(FindUsbPortNameWinTest, LinkedAndPortNumberAsText) {
    interfaces.paths = {u"\\\\?\\usb#vid_12ab&pid_34cd#1"};
    std::wstring name = AddInterface(kPrinterInstance, 0, 0);
    SetText(name + L"\\#\\Control", L"Linked", L"1");
    SetText(name + L"\\#\\Device Parameters", L"Port Number", L"7");
    EXPECT_EQ(Find(), "USB007");
    SetText(name + L"\\#\\Device Parameters", L"Port Number", L"none");
    EXPECT_EQ(Find(), "USB000");
    SetDword(name + L"\\#\\Device Parameters", L"Port Number", 1000);
    EXPECT_EQ(Find(), "USB1000");
}

TEST_F(FindUsbPortNameWinTest, NothingFoundLeavesTheNameAlone) {
    interfaces.paths = {u"\\\\?\\usb#vid_12ab&pid_34cd#1"};
    EXPECT_EQ(Find(), "unchanged");
    AddInterface(L"USB\\VID_12AB&PID_0000\\1", 1, 1);
    EXPECT_EQ(Find(), "unchanged");
    interfaces.paths.clear();
    AddInterface(kPrinterInstance, 1, 1);
    EXPECT_EQ(Find(), "unchanged");
}

}  // namespace
