// Reading the port monitor's values of one USB printing interface: the key path, the
// value's conversion to text, and the bounds on both.
#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "tests/support/fake_registry.h"
#include "tests/support/text_convert.h"
#include "usb/interface_value.h"
#include "usb/registry_text.h"
#include "usb/usb_port.h"

namespace {

class ReadInterfaceValueTest : public testing::Test {
protected:
    std::int32_t Read(int selector, platform::Dword index) {
        text[0] = 0;
        noMore = -1;
        return port.ReadInterfaceValue(selector, index, text, 256, &noMore);
    }

    FakeRegistry registry;
    CUSBPort port;
    char16_t text[256] = {};
    std::int32_t noMore = -1;
};

TEST_F(ReadInterfaceValueTest, EachSelectorReadsItsValueAtItsPath) {
    registry.Set(u"if0", u"DeviceInstance", platform::kRegSz, FakeRegistry::SzData(u"USB\\VID_1&PID_2\\3"));
    registry.Set(u"if0\\#", u"SymbolicLink", platform::kRegSz, FakeRegistry::SzData(u"\\\\?\\link"));
    registry.Set(u"if0\\#\\Control", u"Linked", platform::kRegDword, FakeRegistry::DwordData(1));
    registry.Set(u"if0\\#\\Device Parameters", u"Port Description", platform::kRegSz,
                 FakeRegistry::SzData(u"Virtual printer port for USB"));
    registry.Set(u"if0\\#\\Device Parameters", u"Port Number", platform::kRegDword,
                 FakeRegistry::DwordData(3));
    const char* expected[] = {"USB\\VID_1&PID_2\\3", "\\\\?\\link", "1", "Virtual printer port for USB", "3"};
    for (int selector = 0; selector < usb::kInterfaceValueCount; ++selector) {
        EXPECT_EQ(Read(selector, 0), 1) << selector;
        EXPECT_EQ(Utf8(text), expected[selector]);
        EXPECT_EQ(noMore, 0);
    }
    EXPECT_EQ(Read(5, 0), 0);
    EXPECT_EQ(Read(-1, 0), 0);
    EXPECT_EQ(registry.OpenKeys(), 0u);
    EXPECT_EQ(registry.lastGuid.data1, usb::kUsbPrintInterfaceClass.data1);
}

TEST_F(ReadInterfaceValueTest, ValueAtAnotherPathIsNotFound) {
    registry.Set(u"if0\\#", u"Linked", platform::kRegDword, FakeRegistry::DwordData(1));
    registry.Set(u"if0\\#\\Control", u"Port Number", platform::kRegDword, FakeRegistry::DwordData(1));
    EXPECT_EQ(Read(usb::kLinked, 0), 0);
    EXPECT_EQ(Read(usb::kPortNumber, 0), 0);
    EXPECT_EQ(noMore, 0);
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

TEST_F(ReadInterfaceValueTest, EndOfSubkeysAndMissingClassKeyEndTheScan) {
    registry.Set(u"if0", u"DeviceInstance", platform::kRegSz, FakeRegistry::SzData(u"x"));
    EXPECT_EQ(Read(usb::kDeviceInstance, 1), 0);
    EXPECT_EQ(noMore, 1);

    registry.classKeyFails = true;
    EXPECT_EQ(Read(usb::kDeviceInstance, 0), 0);
    EXPECT_EQ(noMore, 1);
}

TEST_F(ReadInterfaceValueTest, NameTooLongForItsBufferSkipsOnlyThatSubkey) {
    registry.enumErrors[0] = static_cast<platform::Long>(platform::kErrorMoreData);
    EXPECT_EQ(Read(usb::kDeviceInstance, 0), 0);
    EXPECT_EQ(noMore, 0);
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

TEST(OpenKeyPathTest, ReturnsOnlyTheInnermostKeyOpen) {
    FakeRegistry registry;
    registry.Set(u"a\\#\\Control", u"Linked", platform::kRegDword, FakeRegistry::DwordData(1));
    platform::Key parent =
        registry.SetupDiOpenClassRegKeyExW(&usb::kUsbPrintInterfaceClass, 0, 0, nullptr, nullptr);
    {
        platform::RegistryKey key = CUSBPort::OpenKeyPath(parent, u"a\0#\0Control\0");
        ASSERT_TRUE(key.IsValid());
        EXPECT_EQ(registry.OpenKeys(), 2u);  // the parent and the innermost key
        char16_t text[256];
        EXPECT_EQ(CUSBPort::QueryValueText(key.get(), usb::kLinked, text, 256), 1);
        EXPECT_EQ(Utf8(text), "1");
    }
    EXPECT_EQ(registry.OpenKeys(), 1u);

    EXPECT_FALSE(CUSBPort::OpenKeyPath(parent, u"a\0#\0Missing\0").IsValid());
    EXPECT_FALSE(CUSBPort::OpenKeyPath(parent, u"").IsValid());
    EXPECT_FALSE(CUSBPort::OpenKeyPath(parent, nullptr).IsValid());
    EXPECT_EQ(registry.OpenKeys(), 1u);
    registry.RegCloseKey(parent);
}

// Registry data as text, on its own (also the fuzzer's subject).
std::string ValueText(platform::Dword type, const std::string& data, platform::Dword capacity = 256,
                      bool* ok = nullptr) {
    char16_t text[300];
    std::fill(std::begin(text), std::end(text), u'#');
    bool read = usb::RegistryValueToText(type, reinterpret_cast<const std::uint8_t*>(data.data()),
                                         static_cast<platform::Dword>(data.size()), text, capacity);
    if (ok) *ok = read;
    if (!read) return "<not read>";
    EXPECT_LT(text::LengthBounded(text, 300), capacity);
    return Utf8(text);
}

TEST(RegistryValueToTextTest, DwordIsSignedDecimal) {
    EXPECT_EQ(ValueText(platform::kRegDword, FakeRegistry::DwordData(0)), "0");
    EXPECT_EQ(ValueText(platform::kRegDword, FakeRegistry::DwordData(1000)), "1000");
    EXPECT_EQ(ValueText(platform::kRegDword, FakeRegistry::DwordData(0xFFFFFFFF)), "-1");
    EXPECT_EQ(ValueText(platform::kRegDword, FakeRegistry::DwordData(0x80000000)), "-2147483648");
    // Not four bytes: not a number that can be trusted.
    EXPECT_EQ(ValueText(platform::kRegDword, std::string("\x01\x00", 2)), "<not read>");
    EXPECT_EQ(ValueText(platform::kRegDword, FakeRegistry::DwordData(7) + "x"), "<not read>");
    // A number that does not fit the capacity is not cut.
    EXPECT_EQ(ValueText(platform::kRegDword, FakeRegistry::DwordData(12345), 5), "<not read>");
    EXPECT_EQ(ValueText(platform::kRegDword, FakeRegistry::DwordData(1234), 5), "1234");
}

TEST(RegistryValueToTextTest, StringsAreAlwaysTerminatedWithinCapacity) {
    EXPECT_EQ(ValueText(platform::kRegSz, FakeRegistry::SzData(u"USB\\VID_1")), "USB\\VID_1");
    EXPECT_EQ(ValueText(platform::kRegExpandSz, FakeRegistry::SzData(u"x")), "x");
    EXPECT_EQ(ValueText(platform::kRegMultiSz, FakeRegistry::SzData(u"one") + FakeRegistry::SzData(u"two")),
              "one");
    // Stored without a terminator, or with an odd number of bytes.
    EXPECT_EQ(ValueText(platform::kRegSz, FakeRegistry::SzData(u"abc", false)), "abc");
    EXPECT_EQ(ValueText(platform::kRegSz, FakeRegistry::SzData(u"abc", false) + "\x41"), "abc");
    EXPECT_EQ(ValueText(platform::kRegSz, std::string()), "");
    EXPECT_EQ(ValueText(platform::kRegSz, std::string("\x41", 1)), "");
    // 256 bytes of data without a terminator fill 128 characters of a 256-character buffer.
    EXPECT_EQ(ValueText(platform::kRegSz, FakeRegistry::SzData(std::u16string(128, u'z'), false)),
              std::string(128, 'z'));
    // The capacity counts bytes of data and characters of text alike.
    EXPECT_EQ(ValueText(platform::kRegSz, FakeRegistry::SzData(u"abcd", false), 8), "abcd");
    EXPECT_EQ(ValueText(platform::kRegSz, FakeRegistry::SzData(u"abcd"), 8), "<not read>");
    EXPECT_EQ(ValueText(platform::kRegSz, FakeRegistry::SzData(u"a"), 0), "<not read>");
}

TEST(RegistryValueToTextTest, OtherTypesAreNotText) {
    for (platform::Dword type : {0u, platform::kRegBinary, 5u, 6u, 8u, 11u}) {
        EXPECT_EQ(ValueText(type, FakeRegistry::SzData(u"1")), "<not read>") << type;
    }
}

TEST(QueryValueTextTest, ValuesBeyondTheWorkingBufferOrTheCapacityAreNotRead) {
    FakeRegistry registry;
    registry.Set(u"a", u"DeviceInstance", platform::kRegSz, FakeRegistry::SzData(std::u16string(300, u'v')));
    registry.Set(u"b", u"DeviceInstance", platform::kRegSz, FakeRegistry::SzData(std::u16string(200, u'v')));
    platform::Key parent =
        registry.SetupDiOpenClassRegKeyExW(&usb::kUsbPrintInterfaceClass, 0, 0, nullptr, nullptr);
    char16_t text[256] = u"kept";
    for (const char16_t* name : {u"a\0", u"b\0"}) {
        platform::RegistryKey key = CUSBPort::OpenKeyPath(parent, name);
        EXPECT_EQ(CUSBPort::QueryValueText(key.get(), usb::kDeviceInstance, text, 256), 0);
    }
    EXPECT_EQ(Utf8(text), "kept");
    registry.RegCloseKey(parent);
}

}  // namespace
