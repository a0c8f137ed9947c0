// The printer's model from its device ID, and the hardware ID of a printer in the driver
// INF file.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "engine/device_id_text.h"
#include "engine/printer_installer.h"
#include "platform/codepage.h"
#include "platform/text.h"
#include "tests/support/device_reply.h"
#include "tests/support/fake_devices.h"
#include "tests/support/fake_memory.h"
#include "tests/support/temp_dir.h"
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

TEST_F(ReadUsbPrinterModelTest, ModelIsTheMdlField) {
    EXPECT_EQ(Read(DeviceIdReply("MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;")), "KV-100");
    EXPECT_EQ(result, 1);
    // Untrimmed, and the first MDL wins.
    EXPECT_EQ(Read(DeviceIdReply("MDL: KV 100 ;MDL:KV-200;")), " KV 100 ");
    EXPECT_EQ(Read(DeviceIdReply("MFG:X;MDL:;")), "");
    EXPECT_EQ(result, 1);
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

TEST_F(ReadUsbPrinterModelTest, WithoutAClosedMdlFieldTheModelIsEmpty) {
    EXPECT_EQ(Read(DeviceIdReply("MFG:KORVEL;CMD:ESC/P;MDL:KV-100")), "");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Read(DeviceIdReply("MFG:KORVEL;CMD:ESC/P;")), "");
    EXPECT_EQ(Read(DeviceIdReply("MFG:KORVEL;MODEL:KV-100;mdl:KV-100;")), "");
    EXPECT_EQ(result, 1);
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

// The tests run with Chinese as the ANSI code page (936), on Windows and in the portable
// build alike.
TEST_F(ReadUsbPrinterModelTest, ModelInTheAnsiCodePage) {
    EXPECT_EQ(Read(DeviceIdReply("MFG:\xBF\xC6\xCE\xAC;MDL:\xBF\xC6\xCE\xAC KV-100;")), "科维 KV-100");
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

constexpr std::int32_t kWholeName = INT32_MIN;

class FindHardwareIdInInfTest : public testing::Test {
protected:
    std::int32_t Find(const std::string& inf, const std::u16string& quotedName,
                      std::int32_t length = kWholeName) {
        std::u16string path = ProgramPath(dir.Write("PrinterDriver/24pin/OEMPRINT.INF", inf));
        return FindIn(path, quotedName, length);
    }
    std::int32_t FindIn(const std::u16string& path, const std::u16string& quotedName,
                        std::int32_t length = kWholeName) {
        std::memset(id, 0, sizeof id);
        if (length == kWholeName) length = static_cast<std::int32_t>(quotedName.size());
        return installer.FindHardwareIdInInf(path.c_str(), quotedName.c_str(), length, id);
    }

    TempDir dir;
    CPrinterInstaller installer;
    char id[kHardwareIdCapacity] = {};
};

const std::string kInf =
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "[KORVEL]\r\n"
    "\"KORVEL KV-1000\" = KV1000, USBPRINT\\KORVELKV-1000AAAA, KORVELKV-1000AAAA\r\n"
    "\"KORVEL KV-100\" = KV100, LPTENUM\\KORVELKV-1001A2B, KORVELKV-1001A2B\r\n"
    "\"KORVEL KV-100\" = KV100, USBPRINT\\KORVELKV-1001A2B, KORVELKV-1001A2B\r\n"
    "\"KORVEL KV-100\" = KV100, USBPRINT\\SECOND, SECOND\r\n"
    "\"KORVEL KV-200\" = KV200,USBPRINT\\KORVELKV-200\n"
    "\"korvel kv-300\" = KV300, USBPRINT\\LOWER, LOWER\r\n";

TEST_F(FindHardwareIdInInfTest, FirstUsbLineOfTheNameGivesTheIdWithoutTheBlanksAroundIt) {
    EXPECT_EQ(Find(kInf, u"\"Korvel KV-100\""), 1);
    EXPECT_EQ(std::string(id), "USBPRINT\\KORVELKV-1001A2B");
    // Tabs and blanks on both sides; an INF written without blanks gives the same ID.
    EXPECT_EQ(Find("\"KORVEL KV-100\" = A,\t USBPRINT\\X \t, X\n", u"\"KORVEL KV-100\""), 1);
    EXPECT_EQ(std::string(id), "USBPRINT\\X");
    EXPECT_EQ(Find("\"KORVEL KV-100\" = A,USBPRINT\\X,X\n", u"\"KORVEL KV-100\""), 1);
    EXPECT_EQ(std::string(id), "USBPRINT\\X");
    // Blanks inside the ID are its own; an ID of blanks alone is empty.
    EXPECT_EQ(Find("\"KORVEL KV-100\" = A, USB\\A B , X\n", u"\"KORVEL KV-100\""), 1);
    EXPECT_EQ(std::string(id), "USB\\A B");
    EXPECT_EQ(Find("\"KORVEL KV-100\" = A, \t , USB\n", u"\"KORVEL KV-100\""), 1);
    EXPECT_EQ(std::string(id), "");
}

TEST_F(FindHardwareIdInInfTest, TheClosingQuoteKeepsLongerNamesApart) {
    EXPECT_EQ(Find(kInf, u"\"KORVEL KV-1000\""), 1);
    EXPECT_EQ(std::string(id), "USBPRINT\\KORVELKV-1000AAAA");
}

TEST_F(FindHardwareIdInInfTest, WithoutASecondCommaTheIdIsEmpty) {
    EXPECT_EQ(Find(kInf, u"\"Korvel KV-200\""), 1);
    EXPECT_EQ(std::string(id), "");
}

TEST_F(FindHardwareIdInInfTest, NamesMatchExactly) {
    EXPECT_EQ(Find(kInf, u"\"Korvel KV-300\""), 0);  // written in lower case in the file
    EXPECT_EQ(Find(kInf, u"\"KORVEL KV-400\""), 0);
    EXPECT_EQ(Find("\"KORVEL KV-100\" = KV100, LPTENUM\\X, X\r\n", u"\"KORVEL KV-100\""), 0);
    EXPECT_EQ(std::string(id), "");
}

TEST_F(FindHardwareIdInInfTest, BytesBeyondAsciiMatchTheirOwnCodes) {
    // The name's characters are compared with the file's bytes one to one.
    EXPECT_EQ(Find("\"KORVEL \xE9\" = A, USB\\E9, X\n", u"\"KORVEL \u00E9\""), 1);
    EXPECT_EQ(std::string(id), "USB\\E9");
    EXPECT_EQ(Find("\"KORVEL \xC3\xA9\" = A, USB\\E9, X\n", u"\"KORVEL \u00E9\""), 0);
    EXPECT_EQ(Find("\"KORVEL \xB0\xA1\" = A, USB\\GBK, X\n", u"\"KORVEL 啊\""), 0);
}

TEST_F(FindHardwareIdInInfTest, LengthAsPassedIn) {
    // Only the first `length` characters are compared; a length beyond the name never matches.
    EXPECT_EQ(Find(kInf, u"\"Korvel KV-100\"", 11), 1);
    EXPECT_EQ(std::string(id), "USBPRINT\\KORVELKV-1000AAAA");
    EXPECT_EQ(Find(kInf, u"\"KORVEL KV-100\"", 40), 0);
    EXPECT_EQ(Find(kInf, u"\"KORVEL KV-100\"", -3), 0);
}

TEST_F(FindHardwareIdInInfTest, IdThatDoesNotFitItsBufferRefusesTheLine) {
    std::string inf = "\"KORVEL KV-100\" = A,USB" + std::string(1021, 'U') + ",X\n" +
                      "\"KORVEL KV-100\" = A,USB" + std::string(1020, 'U') + ",X\n";
    EXPECT_EQ(Find(inf, u"\"KORVEL KV-100\""), 1);
    EXPECT_EQ(std::strlen(id), 1023u);
}

TEST_F(FindHardwareIdInInfTest, AnOversizedInfIsReadInBoundedMemory) {
    // A damaged INF: megabytes without a line end before the model line. It is read with
    // one line buffer, and the overlong line is passed over.
    ScriptedMemory memory;
    memory.limit = 64 * 1024;
    const std::string junk(3 * 1024 * 1024, 'j');
    EXPECT_EQ(Find(junk + "\n\"KORVEL KV-100\" = A, USBPRINT\\X, X\r\n", u"\"KORVEL KV-100\""), 1);
    EXPECT_EQ(std::string(id), "USBPRINT\\X");
    EXPECT_EQ(memory.requests, std::vector<std::size_t>{64 * 1024});
    EXPECT_EQ(memory.live, 0);

    // A model line of exactly 64 KiB is still read; one byte more and it is passed over.
    const std::string line = "\"KORVEL KV-100\" = A, USBPRINT\\Y, Y";
    const std::string fits = line + std::string(64 * 1024 - line.size(), ' ');
    EXPECT_EQ(Find(fits, u"\"KORVEL KV-100\""), 1);
    EXPECT_EQ(Find(fits + " ", u"\"KORVEL KV-100\""), 0);

    // Without the memory for the line buffer, nothing is found and nothing breaks.
    memory.fail = true;
    EXPECT_EQ(Find(line, u"\"KORVEL KV-100\""), 0);
}

TEST_F(FindHardwareIdInInfTest, FileThatCannotBeOpenedGivesZero) {
    EXPECT_EQ(FindIn(dir.ProgramDir() + u"PrinterDriver\\9pin\\OEMPRINT.INF", u"\"KORVEL KV-100\""), 0);
    dir.Write("PrinterDriver/readme.txt", "x");
    EXPECT_EQ(FindIn(dir.ProgramDir() + u"PrinterDriver\\", u"\"KORVEL KV-100\""), 0);
    EXPECT_EQ(FindIn(dir.ProgramDir() + u"PrinterDriver", u"\"KORVEL KV-100\""), 0);
    EXPECT_EQ(std::string(id), "");
}

}  // namespace
