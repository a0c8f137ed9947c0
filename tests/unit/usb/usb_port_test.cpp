// Finding the attached USB printer and its port (CUSBPort), with the device enumeration,
// the devices and the registry replaced by fakes.
#include "tests/support/text_convert.h"
#include "usb/usb_port.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "tests/support/fake_devices.h"
#include "tests/support/fake_registry.h"
#include "usb/interface_value.h"

namespace {

const std::u16string kPrinterPath =
    u"\\\\?\\usb#vid_12ab&pid_34cd#0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const std::u16string kPrinterInstance = u"USB\\VID_12AB&PID_34CD\\0001";

class OpenUsbPrinterTest : public testing::Test {
protected:
    FakeDeviceInterfaces interfaces;
    FakeDeviceIo io;
    CUSBPort port;
    char16_t vid[usb::kIdCapacity] = u"old";
    char16_t pid[usb::kIdCapacity] = u"old";
};

TEST_F(OpenUsbPrinterTest, OpensTheFirstPrinterAndKeepsItOpen) {
    interfaces.paths = {kPrinterPath, u"\\\\?\\usb#vid_5555&pid_6666#2"};
    ASSERT_EQ(port.OpenUsbPrinter(vid, pid), 1);
    EXPECT_EQ(Utf8(vid), "12AB");
    EXPECT_EQ(Utf8(pid), "34CD");
    ASSERT_EQ(io.openDevices.size(), 1u);
    EXPECT_EQ(io.openDevices.begin()->second, kPrinterPath);
    EXPECT_EQ(port.deviceHandle.get(), io.openDevices.begin()->first);
    EXPECT_EQ(interfaces.setsOpen, 0);
    EXPECT_FALSE(interfaces.wrongSizeSeen);

    // Present devices of the USB printing interface class, opened exclusively for
    // overlapped reads and writes.
    EXPECT_EQ(interfaces.lastFlags, 0x12u);
    EXPECT_EQ(interfaces.lastGuid.data1, 0x28D78FADu);
    EXPECT_EQ(io.lastAccess, platform::kGenericRead | platform::kGenericWrite);
    EXPECT_EQ(io.lastShare, 0u);
    EXPECT_EQ(io.lastCreation, platform::kOpenExisting);
    EXPECT_EQ(io.lastFlags, platform::kFileFlagOverlapped);
    EXPECT_EQ(port.CloseDevice(), 1);
}

TEST_F(OpenUsbPrinterTest, SkipsInterfacesThatCannotBeUsed) {
    const std::u16string busy = u"\\\\?\\usb#vid_1111&pid_2222#busy";
    const std::u16string noIds = u"\\\\?\\usb#printer#0003";
    const std::u16string noPid = u"\\\\?\\usb#vid_3333#0004";
    interfaces.paths = {busy, u"\\\\?\\usb#vid_9999&pid_9999#nodetail", noIds, noPid, kPrinterPath};
    interfaces.detailFails = {1};
    io.unopenable = {busy};

    ASSERT_EQ(port.OpenUsbPrinter(vid, pid), 1);
    EXPECT_EQ(Utf8(vid), "12AB");
    // The devices without both IDs were opened, then closed again.
    EXPECT_EQ(io.openDevices.size(), 1u);
    EXPECT_EQ(io.badCloses, 0);
    port.CloseDevice();
}

TEST_F(OpenUsbPrinterTest, NoUsablePrinterLeavesNothingOpenAndOutputsUnchanged) {
    interfaces.paths = {u"\\\\?\\usb#printer#1"};
    EXPECT_EQ(port.OpenUsbPrinter(vid, pid), 0);
    EXPECT_FALSE(port.deviceHandle);
    EXPECT_EQ(Utf8(vid), "old");
    EXPECT_EQ(Utf8(pid), "old");
    EXPECT_TRUE(io.openDevices.empty());
    EXPECT_EQ(interfaces.setsOpen, 0);

    interfaces.setFails = true;
    EXPECT_EQ(port.OpenUsbPrinter(vid, pid), 0);
    EXPECT_EQ(interfaces.setsOpen, 0);
}

TEST_F(OpenUsbPrinterTest, ExaminesAtMost127Interfaces) {
    interfaces.paths.assign(127, u"\\\\?\\usb#printer#without-ids");
    interfaces.paths.push_back(kPrinterPath);
    EXPECT_EQ(port.OpenUsbPrinter(vid, pid), 0);
    EXPECT_EQ(interfaces.enumerations, 127u);

    interfaces.paths.erase(interfaces.paths.begin());
    EXPECT_EQ(port.OpenUsbPrinter(vid, pid), 1);
    port.CloseDevice();
}

TEST_F(OpenUsbPrinterTest, PathLongerThanItsBufferIsReadFromItsFirst259Characters) {
    interfaces.paths = {u"\\\\?\\usb#vid_12ab&pid_34cd#" + std::u16string(300, u'x')};
    ASSERT_EQ(port.OpenUsbPrinter(vid, pid), 1);
    EXPECT_EQ(Utf8(pid), "34CD");
    port.CloseDevice();

    interfaces.paths = {u"\\\\?\\usb#" + std::u16string(250, u'x') + u"vid_12ab&pid_34cd"};
    EXPECT_EQ(port.OpenUsbPrinter(vid, pid), 0);
    EXPECT_TRUE(io.openDevices.empty());
}

TEST(ParseVidPidTest, TakesUpToFourCharactersAfterEachMarker) {
    struct Case {
        const char16_t* text;
        const char* vid;
        const char* pid;
    } cases[] = {
        {u"USB\\VID_12AB&PID_34CD\\0001", "12AB", "34CD"},
        {u"usb#vid_12ab&pid_34cd#x", "12AB", "34CD"},
        {u"usb#pid_34cd&vid_12ab", "12AB", "34CD"},  // order does not matter
        {u"PID_1VID_ZZ", "ZZ", "1VID"},              // short at the end, not checked to be hex
        {u"VID_PID_", "PID_", ""},                   // found behind the first marker
        {u"vid_12ab&vid_9999&pid_34cd&pid_8888", "12AB", "34CD"},
    };
    for (const Case& c : cases) {
        char16_t vid[usb::kIdCapacity] = {};
        char16_t pid[usb::kIdCapacity] = {};
        ASSERT_EQ(CUSBPort::ParseVidPid(c.text, vid, pid), 1) << Utf8(c.text);
        EXPECT_EQ(Utf8(vid), c.vid) << Utf8(c.text);
        EXPECT_EQ(Utf8(pid), c.pid) << Utf8(c.text);
    }
}

TEST(ParseVidPidTest, EitherMarkerMissingFailsAndWritesNothing) {
    for (const char16_t* text :
         {u"USB\\VID_12AB\\1", u"USB\\PID_34CD", u"", u"VID-12AB&PID-34CD", u"VI D_1PID_2"}) {
        char16_t vid[usb::kIdCapacity] = u"v";
        char16_t pid[usb::kIdCapacity] = u"p";
        EXPECT_EQ(CUSBPort::ParseVidPid(text, vid, pid), 0) << Utf8(text);
        EXPECT_EQ(Utf8(vid), "v");
        EXPECT_EQ(Utf8(pid), "p");
    }
}

class FindUsbPortNameTest : public testing::Test {
protected:
    FindUsbPortNameTest() { interfaces.paths = {kPrinterPath}; }

    std::string Find() {
        char16_t name[200] = u"unchanged";
        result = port.FindUsbPortName(name, 200);
        EXPECT_FALSE(port.deviceHandle);
        EXPECT_TRUE(io.openDevices.empty());
        EXPECT_EQ(registry.OpenKeys(), 0u);
        return Utf8(name);
    }

    FakeDeviceInterfaces interfaces;
    FakeDeviceIo io;
    FakeRegistry registry;
    CUSBPort port;
    std::int32_t result = -1;
};

TEST_F(FindUsbPortNameTest, PortNumberBecomesAtLeastThreeDigits) {
    for (std::uint32_t number : {1u, 12u, 123u, 1000u}) {
        FakeRegistry fresh;
        fresh.AddInterface(u"##?#USB#VID_12AB&PID_34CD#0001", kPrinterInstance, 1, number);
        std::string expected = number == 1     ? "USB001"
                               : number == 12  ? "USB012"
                               : number == 123 ? "USB123"
                                               : "USB1000";
        EXPECT_EQ(Find(), expected);
        EXPECT_EQ(result, 1);
        // Every read opens the class key on its own: Linked, DeviceInstance, Port Number.
        EXPECT_EQ(fresh.classKeyOpens, 3);
        EXPECT_EQ(fresh.lastSam, platform::kKeyRead);
        EXPECT_EQ(fresh.lastFlags, platform::kDiocrInterface);
    }
}

TEST_F(FindUsbPortNameTest, PortNumberStoredAsText) {
    registry.AddInterface(u"a", kPrinterInstance, 1, 0);
    registry.Set(u"a\\#\\Device Parameters", u"Port Number", platform::kRegSz, FakeRegistry::SzData(u"7"));
    EXPECT_EQ(Find(), "USB007");

    registry.Set(u"a\\#\\Device Parameters", u"Port Number", platform::kRegSz,
                 FakeRegistry::SzData(u"port 3"));
    EXPECT_EQ(Find(), "USB000");
    EXPECT_EQ(result, 1);

    registry.Set(u"a\\#\\Device Parameters", u"Port Number", platform::kRegSz, FakeRegistry::SzData(u" -5x"));
    EXPECT_EQ(Find(), "USB-05");
}

TEST_F(FindUsbPortNameTest, LinkedAsNumberOrTextOne) {
    registry.AddInterface(u"dword", kPrinterInstance, 1, 4);
    EXPECT_EQ(Find(), "USB004");

    FakeRegistry asText;
    asText.AddInterface(u"text", kPrinterInstance, 0, 5);
    asText.Set(u"text\\#\\Control", u"Linked", platform::kRegSz, FakeRegistry::SzData(u"1"));
    EXPECT_EQ(Find(), "USB005");
}

TEST_F(FindUsbPortNameTest, UnlinkedInterfacesAreSkipped) {
    registry.AddInterface(u"zero", kPrinterInstance, 0, 1);
    registry.AddInterface(u"text", kPrinterInstance, 0, 2);
    registry.Set(u"text\\#\\Control", u"Linked", platform::kRegSz, FakeRegistry::SzData(u"1 "));
    registry.AddInterface(u"binary", kPrinterInstance, 0, 3);
    registry.Set(u"binary\\#\\Control", u"Linked", platform::kRegBinary, FakeRegistry::SzData(u"1"));
    registry.Set(u"missing", u"DeviceInstance", platform::kRegSz, FakeRegistry::SzData(kPrinterInstance));
    registry.AddInterface(u"linked", kPrinterInstance, 1, 9);
    EXPECT_EQ(Find(), "USB009");
}

TEST_F(FindUsbPortNameTest, OnlyTheSameVendorAndProductMatch) {
    registry.AddInterface(u"other-product", u"USB\\VID_12AB&PID_0000\\1", 1, 1);
    registry.AddInterface(u"other-vendor", u"USB\\VID_0000&PID_34CD\\1", 1, 2);
    registry.AddInterface(u"no-ids", u"ROOT\\PRINTER\\0000", 1, 3);
    // A lower-case device path matches an upper-case instance ID.
    registry.AddInterface(u"match", u"usb\\vid_12ab&pid_34cd\\other-serial", 1, 4);
    registry.AddInterface(u"second", kPrinterInstance, 1, 5);
    EXPECT_EQ(Find(), "USB004");
}

TEST_F(FindUsbPortNameTest, MatchWithoutPortNumberEndsTheScanWithNothing) {
    registry.Set(u"first", u"DeviceInstance", platform::kRegSz, FakeRegistry::SzData(kPrinterInstance));
    registry.Set(u"first\\#\\Control", u"Linked", platform::kRegDword, FakeRegistry::DwordData(1));
    registry.AddInterface(u"second", kPrinterInstance, 1, 2);
    EXPECT_EQ(Find(), "unchanged");
    EXPECT_EQ(result, 0);
}

TEST_F(FindUsbPortNameTest, DeviceInstanceUpTo256BytesWithItsTerminator) {
    std::u16string padding127 = kPrinterInstance + std::u16string(127 - kPrinterInstance.size(), u'x');
    std::u16string padding128 = padding127 + u"x";
    registry.AddInterface(u"long", padding128, 1, 1);
    registry.AddInterface(u"fits", padding127, 1, 2);
    EXPECT_EQ(Find(), "USB002");
}

TEST_F(FindUsbPortNameTest, SubkeyNamesOf244CharactersAreNotUsed) {
    registry.AddInterface(std::u16string(244, u'n'), kPrinterInstance, 1, 1);
    registry.AddInterface(std::u16string(243, u'n'), kPrinterInstance, 1, 2);
    EXPECT_EQ(Find(), "USB002");
}

TEST_F(FindUsbPortNameTest, NoPrinterMeansNoRegistryRead) {
    interfaces.paths.clear();
    registry.AddInterface(u"a", kPrinterInstance, 1, 1);
    EXPECT_EQ(Find(), "unchanged");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(registry.classKeyOpens, 0);
}

TEST_F(FindUsbPortNameTest, ScanEndsWhenTheClassKeyOrItsSubkeysCannotBeRead) {
    registry.AddInterface(u"a", kPrinterInstance, 1, 1);
    registry.classKeyFails = true;
    EXPECT_EQ(Find(), "unchanged");
    EXPECT_EQ(registry.classKeyOpens, 1);

    FakeRegistry denied;
    denied.AddInterface(u"a", kPrinterInstance, 1, 1);
    denied.enumErrors[0] = 5;  // ERROR_ACCESS_DENIED
    EXPECT_EQ(Find(), "unchanged");
    EXPECT_EQ(denied.classKeyOpens, 1);
}

TEST_F(FindUsbPortNameTest, PortNameThatDoesNotFitIsNotCut) {
    registry.AddInterface(u"a", kPrinterInstance, 1, 1000);
    char16_t name[8] = u"same";
    EXPECT_EQ(port.FindUsbPortName(name, 7), 0);
    EXPECT_EQ(Utf8(name), "same");
    EXPECT_EQ(port.FindUsbPortName(name, 8), 1);
    EXPECT_EQ(Utf8(name), "USB1000");
}

// With the build's own services (the system's under Windows, the portable stand-ins
// elsewhere) and no USB printer attached, nothing is found and nothing stays open.
TEST(UsbPortWithoutFakesTest, NoAttachedPrinterIsFound) {
    CUSBPort port;
    char16_t vid[usb::kIdCapacity] = u"v";
    char16_t pid[usb::kIdCapacity] = u"p";
    EXPECT_EQ(port.OpenUsbPrinter(vid, pid), 0);
    EXPECT_FALSE(port.deviceHandle);
    char16_t name[200] = u"unchanged";
    EXPECT_EQ(port.FindUsbPortName(name, 200), 0);
    EXPECT_EQ(Utf8(name), "unchanged");
    std::uint8_t reply[16] = {};
    platform::Dword returned = 0;
    EXPECT_EQ(port.GetDeviceId(reply, 16, &returned), 0);
    EXPECT_EQ(port.CloseDevice(), 0);
}

}  // namespace
