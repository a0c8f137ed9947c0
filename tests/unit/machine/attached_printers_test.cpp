// The attached USB printer's model, from its IEEE 1284 device ID.
#include <gtest/gtest.h>

#include "engine/machine/device_id_text.h"
#include "engine/printer_installer.h"
#include "platform/codepage.h"
#include "tests/support/device_reply.h"
#include "tests/support/fake_devices.h"
#include "tests/support/text_convert.h"

namespace {

class ReadUsbPrinterModelTest : public testing::Test {
protected:
    ReadUsbPrinterModelTest() { interfaces.paths = {u"\\\\?\\usb#vid_12ab&pid_34cd#1"}; }

    std::string Read(const std::string& reply) {
        io.replyBytes = reply;
        char16_t model[kNameCapacity] = u"previous";
        result = installer.ReadUsbPrinterModel(model, kNameCapacity);
        EXPECT_TRUE(io.openDevices.empty());
        EXPECT_TRUE(io.openEvents.empty());
        return Utf8(model);
    }

    FakeDeviceInterfaces interfaces;
    FakeDeviceIo io;
    CPrinterInstaller installer;
    std::int32_t result = -1;
};

// The first "MDL:" field, untrimmed, up to its ";"; without a closed one the model is
// empty. The tests run with Chinese as the ANSI code page (936), on Windows and in the
// portable build alike.
TEST_F(ReadUsbPrinterModelTest, ModelIsTheFirstClosedMdlField) {
    const struct {
        const char* idText;
        const char* model;
    } rows[] = {
        {"MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;", "KV-100"}, {"MDL: KV 100 ;MDL:KV-200;", " KV 100 "},
        {"MFG:X;MDL:;", ""}, {"MFG:KORVEL;CMD:ESC/P;MDL:KV-100", ""}, {"MFG:KORVEL;CMD:ESC/P;", ""},
        {"MFG:KORVEL;MODEL:KV-100;mdl:KV-100;", ""},
        {"MFG:\xBF\xC6\xCE\xAC;MDL:\xBF\xC6\xCE\xAC KV-100;", "科维 KV-100"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Read(DeviceIdReply(row.idText)), row.model) << row.idText;
        EXPECT_EQ(result, 1);
    }
}

TEST_F(ReadUsbPrinterModelTest, LengthBytesAreNotTheEndOfTheText) {
    // 300 bytes: length bytes 0x01 0x2C.
    std::string idText = "MFG:KORVEL;MDL:KV-300;DES:" + std::string(300 - 2 - 26 - 1, 'd') + ";";
    std::string reply = DeviceIdReply(idText);
    ASSERT_EQ(reply.size(), 300u);
    ASSERT_EQ(reply.substr(0, 2), std::string("\x01\x2C"));
    EXPECT_EQ(Read(reply), "KV-300");

    // Length bytes that lie: the text still runs to its first zero byte.
    EXPECT_EQ(Read(std::string("\x00\x05", 2) + "MFG:K;MDL:KV-9;"), "KV-9");
    EXPECT_EQ(Read(std::string("\xFF\xFF", 2) + "MDL:KV-8;"), "KV-8");
}

TEST_F(ReadUsbPrinterModelTest, ReplyFillingTheWholeBufferEndsAtItsEnd) {
    std::string reply = DeviceIdReply(std::string(1022, 'x'));
    reply.replace(reply.size() - 9, 9, ";MDL:KV-7");
    ASSERT_EQ(reply.size(), 1024u);
    EXPECT_EQ(Read(reply), "");  // no ";" before the end of the buffer
    EXPECT_EQ(result, 1);

    reply.back() = ';';
    EXPECT_EQ(Read(reply), "KV-");
}

TEST_F(ReadUsbPrinterModelTest, UnansweredQueryGivesAnEmptyModel) {
    io.reply = FakeDeviceIo::Reply::PendingForever;
    EXPECT_EQ(Read(DeviceIdReply("MDL:KV-100;")), "");
    EXPECT_EQ(result, 1);
}

TEST_F(ReadUsbPrinterModelTest, NoPrinterGivesZeroAndAnEmptyModel) {
    interfaces.paths.clear();
    EXPECT_EQ(Read(DeviceIdReply("MDL:KV-100;")), "");
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(io.calls.empty());
}

TEST_F(ReadUsbPrinterModelTest, ModelLongerThanTheBufferIsCutToIt) {
    io.replyBytes = DeviceIdReply("MDL:" + std::string(300, 'm') + ";");
    char16_t model[8];
    EXPECT_EQ(installer.ReadUsbPrinterModel(model, 8), 1);
    EXPECT_EQ(Utf8(model), "mmmmmmm");
}

// Records what the conversion was asked for and widens each byte.
class RecordingCodePage final : public platform::CodePage {
public:
    platform::Dword codePage = 99;
    std::string bytes;
    int capacity = 0;

    int MultiByteToWideChar(platform::Dword cp, platform::Dword, const char* src, int length, char16_t* dst,
                            int dstCapacity) override {
        codePage = cp;
        bytes.assign(src, static_cast<std::size_t>(length));
        capacity = dstCapacity;
        for (int i = 0; i < length; ++i) dst[i] = static_cast<unsigned char>(src[i]);
        return length;
    }

private:
    platform::ScopedService<platform::CodePage> scope_{*this};
};

TEST_F(ReadUsbPrinterModelTest, TextIsConvertedFromTheThreadsAnsiCodePage) {
    RecordingCodePage codePage;
    EXPECT_EQ(Read(DeviceIdReply("MDL:KV\xB0\xA1;")), "KV\xC2\xB0\xC2\xA1");
    EXPECT_EQ(codePage.codePage, platform::kThreadAnsiCodePage);
    EXPECT_EQ(codePage.bytes, "MDL:KV\xB0\xA1;");  // without the length bytes
    EXPECT_LE(codePage.capacity, 1023);
}

TEST(DeviceIdTextTest, EndsAtTheFirstZeroOrTheBufferEnd) {
    const std::uint8_t reply[] = {0, 9, 'M', 'D', 'L', 0, 'x'};
    EXPECT_EQ(DeviceIdTextLength(reply, sizeof reply), 3u);
    EXPECT_EQ(DeviceIdTextLength(reply, 4), 2u);
    EXPECT_EQ(DeviceIdTextLength(reply, 2), 0u);
    EXPECT_EQ(DeviceIdTextLength(reply, 0), 0u);
}

}  // namespace
