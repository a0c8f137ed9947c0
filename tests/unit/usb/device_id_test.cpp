// The device-ID request to the open printer, closing it, and the device tree re-scan.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/config_manager.h"
#include "platform/services.h"
#include "tests/support/fake_devices.h"
#include "usb/device_rescan.h"
#include "usb/usb_port.h"

namespace {

using Calls = std::vector<std::string>;

class GetDeviceIdTest : public testing::Test {
protected:
    GetDeviceIdTest() {
        interfaces.paths = {u"\\\\?\\usb#vid_12ab&pid_34cd#1"};
        char16_t vid[usb::kIdCapacity], pid[usb::kIdCapacity];
        EXPECT_EQ(port.OpenUsbPrinter(vid, pid), 1);
        io.calls.clear();
        // 74 bytes: the two length bytes, then 72 characters of ID text.
        io.replyBytes = std::string("\x00\x4A", 2) +
                        "MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;DES:KORVEL KV-100 printer;";
        io.replyBytes.resize(74, ';');
    }
    ~GetDeviceIdTest() override {
        port.CloseDevice();
        EXPECT_TRUE(io.openEvents.empty());
        EXPECT_EQ(io.badCloses, 0);
    }

    FakeDeviceInterfaces interfaces;
    FakeDeviceIo io;
    CUSBPort port;
    std::uint8_t buffer[1024] = {};
    platform::Dword returned = 0;
};

TEST_F(GetDeviceIdTest, CompletingAtOnceDeliversTheRawReply) {
    EXPECT_NE(port.GetDeviceId(buffer, 1024, &returned), 0);
    EXPECT_EQ(returned, 74u);
    EXPECT_EQ(buffer[0], 0x00);
    EXPECT_EQ(buffer[1], 0x4A);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 74), io.replyBytes);
    EXPECT_EQ(buffer[74], 0);
    EXPECT_EQ(io.lastCode, 0x220034u);
    EXPECT_EQ(io.lastOutSize, 1024u);
    EXPECT_EQ(io.calls, (Calls{"CreateEvent auto", "DeviceIoControl", "CloseHandle event"}));
}

TEST_F(GetDeviceIdTest, PendingThenCompletingWaitsForTheResult) {
    io.reply = FakeDeviceIo::Reply::PendingThenComplete;
    EXPECT_NE(port.GetDeviceId(buffer, 1024, &returned), 0);
    EXPECT_EQ(returned, 74u);
    EXPECT_EQ(buffer[1], 0x4A);
    EXPECT_EQ(io.calls, (Calls{"CreateEvent auto", "DeviceIoControl", "Wait 500", "GetOverlappedResult wait",
                               "CloseHandle event"}));
}

TEST_F(GetDeviceIdTest, StillPendingAfter500msIsCancelledAndAwaitedBeforeTheEventCloses) {
    io.reply = FakeDeviceIo::Reply::PendingForever;
    EXPECT_EQ(port.GetDeviceId(buffer, 1024, &returned), 0);
    EXPECT_EQ(io.calls, (Calls{"CreateEvent auto", "DeviceIoControl", "Wait 500", "CancelIoEx",
                               "GetOverlappedResult wait", "CloseHandle event"}));
    EXPECT_FALSE(io.hungOnUncancelledRequest);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(GetDeviceIdTest, FailedRequestGivesZero) {
    io.reply = FakeDeviceIo::Reply::Fails;
    EXPECT_EQ(port.GetDeviceId(buffer, 1024, &returned), 0);
    EXPECT_EQ(io.calls, (Calls{"CreateEvent auto", "DeviceIoControl", "CloseHandle event"}));
}

TEST_F(GetDeviceIdTest, NoEventNoRequest) {
    io.eventFails = true;
    EXPECT_EQ(port.GetDeviceId(buffer, 1024, &returned), 0);
    EXPECT_EQ(io.calls, (Calls{"CreateEvent auto"}));
}

TEST(DeviceIdWithoutDeviceTest, NoRequestAndNothingToClose) {
    FakeDeviceInterfaces interfaces;
    FakeDeviceIo io;
    CUSBPort port;
    char16_t vid[usb::kIdCapacity], pid[usb::kIdCapacity];
    EXPECT_EQ(port.OpenUsbPrinter(vid, pid), 0);

    std::uint8_t buffer[8] = {};
    platform::Dword returned = 77;
    EXPECT_EQ(port.GetDeviceId(buffer, 8, &returned), 0);
    EXPECT_EQ(returned, 77u);
    EXPECT_EQ(port.CloseDevice(), 0);
    port.deviceHandle.reset(nullptr);
    EXPECT_EQ(port.GetDeviceId(buffer, 8, &returned), 0);
    EXPECT_EQ(port.CloseDevice(), 0);
    EXPECT_TRUE(io.calls.empty());
}

TEST(CloseDeviceTest, SecondCloseFindsNothingOpenAndTheObjectClosesAForgottenDevice) {
    FakeDeviceInterfaces interfaces;
    FakeDeviceIo io;
    interfaces.paths = {u"\\\\?\\usb#vid_12ab&pid_34cd#1"};
    {
        CUSBPort port;
        char16_t vid[usb::kIdCapacity], pid[usb::kIdCapacity];
        ASSERT_EQ(port.OpenUsbPrinter(vid, pid), 1);
        EXPECT_EQ(port.CloseDevice(), 1);
        EXPECT_FALSE(port.deviceHandle);
        EXPECT_EQ(port.CloseDevice(), 0);
        EXPECT_TRUE(io.openDevices.empty());
        // Opening twice does not leave the first handle behind; the object closes the last.
        ASSERT_EQ(port.OpenUsbPrinter(vid, pid), 1);
        ASSERT_EQ(port.OpenUsbPrinter(vid, pid), 1);
        EXPECT_EQ(io.openDevices.size(), 1u);
    }
    EXPECT_TRUE(io.openDevices.empty());
    EXPECT_EQ(io.badCloses, 0);
}

class FakeConfigManager final : public platform::ConfigManager {
public:
    platform::ConfigRet locateResult = platform::kCrSuccess;
    platform::ConfigRet reenumerateResult = platform::kCrSuccess;
    std::vector<std::string> calls;

    platform::ConfigRet CM_Locate_DevNodeW(platform::DevInst* devInst, const char16_t* deviceId,
                                           platform::Dword flags) override {
        calls.push_back(std::string("Locate ") + (deviceId ? "id" : "root") + " " + std::to_string(flags));
        if (locateResult == platform::kCrSuccess) *devInst = 42;
        return locateResult;
    }
    platform::ConfigRet CM_Reenumerate_DevNode(platform::DevInst devInst, platform::Dword flags) override {
        calls.push_back("Reenumerate " + std::to_string(devInst) + " " + std::to_string(flags));
        return reenumerateResult;
    }

private:
    platform::ScopedService<platform::ConfigManager> scope_{*this};
};

std::int32_t RescanCapturingOutput(std::string& output) {
    testing::internal::CaptureStdout();
    std::int32_t result = usb::RescanDevices();
    output = testing::internal::GetCapturedStdout();
    return result;
}

TEST(RescanDevicesTest, ReenumeratesTheRootOfTheDeviceTree) {
    FakeConfigManager manager;
    std::string output;
    EXPECT_EQ(RescanCapturingOutput(output), 1);
    EXPECT_EQ(output, "");
    EXPECT_EQ(manager.calls, (Calls{"Locate root 0", "Reenumerate 42 0"}));
}

TEST(RescanDevicesTest, EachFailureWritesItsLineAndGivesZero) {
    FakeConfigManager manager;
    std::string output;
    manager.locateResult = 0x1A;
    EXPECT_EQ(RescanCapturingOutput(output), 0);
    EXPECT_EQ(output, "CM_Locate_DevNode failed: 1a\n");
    EXPECT_EQ(manager.calls.size(), 1u);

    manager.locateResult = platform::kCrSuccess;
    manager.reenumerateResult = 0x33;
    EXPECT_EQ(RescanCapturingOutput(output), 0);
    EXPECT_EQ(output, "CM_Reenumerate_DevNode failed: 33\n");
}

}  // namespace
