// The setup log, with the system behind the seam as its documentation gives it:
// "CreateFileW function" (OPEN_ALWAYS opens a file that is there with ERROR_ALREADY_EXISTS
// and creates a missing one; FILE_APPEND_DATA without FILE_WRITE_DATA writes only at the
// end, "File Security and Access Rights"), "FormatMessageW function" (the count of
// characters stored without the terminator, 0 and ERROR_INSUFFICIENT_BUFFER when the text
// does not fit) and "GetTempPathW function" (the path ends in a backslash; the size needed
// when it does not fit). The last test writes a real file through the build's own service.
#include "engine/setup_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "platform/log_file.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_convert.h"

namespace {

using platform::Dword;

class FakeLogFiles final : public platform::LogFiles {
public:
    std::map<std::u16string, std::string> files;
    std::set<std::u16string> denied;
    std::map<Dword, std::u16string> messages{{5, u"Access is denied.\r\n"}};
    std::u16string tempPath = u"C:\\Temp\\";
    bool tempFails = false;
    bool writesFail = false;
    platform::SystemTime now{2026, 12, 1, 7, 14, 3, 59, 120};

    Dword access = 0, share = 0, creation = 0;
    int open = 0;

    platform::Result<platform::Handle> CreateFileW(const char16_t* path, Dword a, Dword s, Dword c,
                                                   Dword) override {
        access = a, share = s, creation = c;
        if (denied.count(path)) return {platform::kInvalidHandle, platform::kErrorAccessDenied};
        bool existed = files.count(path) != 0;
        if (!existed && c != platform::kOpenAlways)
            return {platform::kInvalidHandle, platform::kErrorFileNotFound};
        if (c != platform::kOpenAlways) files[path].clear();  // anything else would lose the old lines
        files[path];
        ++open;
        handles_[++next_] = path;
        return {reinterpret_cast<platform::Handle>(next_), existed ? platform::kErrorAlreadyExists : 0};
    }
    platform::Result<platform::Bool> WriteFile(platform::Handle file, const void* data, Dword size,
                                               Dword* written) override {
        auto h = handles_.find(reinterpret_cast<std::intptr_t>(file));
        if (h == handles_.end() || writesFail) {
            *written = 0;
            return {0, 29};  // ERROR_WRITE_FAULT
        }
        files[h->second].append(static_cast<const char*>(data), size);
        *written = size;
        return {1};
    }
    platform::Result<platform::Bool> CloseHandle(platform::Handle file) override {
        if (!handles_.erase(reinterpret_cast<std::intptr_t>(file))) return {0, 6};  // ERROR_INVALID_HANDLE
        --open;
        return {1};
    }
    void GetLocalTime(platform::SystemTime* time) override { *time = now; }
    Dword FormatSystemMessage(Dword error, char16_t* buffer, Dword size) override {
        auto m = messages.find(error);
        if (m == messages.end() || m->second.size() + 1 > size) return 0;
        text::Copy(buffer, size, m->second.c_str());
        return static_cast<Dword>(m->second.size());
    }
    Dword GetTempPathW(Dword size, char16_t* buffer) override {
        if (tempFails) return 0;
        if (tempPath.size() + 1 > size) return static_cast<Dword>(tempPath.size() + 1);
        text::Copy(buffer, size, tempPath.c_str());
        return static_cast<Dword>(tempPath.size());
    }

private:
    std::intptr_t next_ = 0x100;
    std::map<std::intptr_t, std::u16string> handles_;
    platform::ScopedService<platform::LogFiles> scope_{*this};
};

TEST(SetupLog, LinesAreAppendedWithTheLocalTimeAndWhatWasThereStays) {
    FakeLogFiles fs;
    fs.files[u"C:\\Logs\\setup.log"] = "earlier run\r\n";
    engine::SetupLog log;
    platform::Outcome opened = log.Open(u"C:\\Logs\\setup.log");
    EXPECT_TRUE(opened.ok()) << "ERROR_ALREADY_EXISTS from OPEN_ALWAYS is a success";
    EXPECT_EQ(fs.access, platform::kFileAppendData);
    EXPECT_EQ(fs.share, platform::kFileShareRead | platform::kFileShareWrite);
    EXPECT_EQ(fs.creation, platform::kOpenAlways);
    EXPECT_TRUE(log.Write(u"Installing KV系列 100"));
    fs.now.second = 60 - 1, fs.now.minute = 4;
    EXPECT_TRUE(log.WriteError(u"Removing printer", 5));
    EXPECT_EQ(fs.files[u"C:\\Logs\\setup.log"],
              "earlier run\r\n"
              "2026-12-07 14:03:59 Installing KV\xE7\xB3\xBB\xE5\x88\x97 100\r\n"
              "2026-12-07 14:04:59 Removing printer: error 5: Access is denied.\r\n");
    log.Close();
    EXPECT_EQ(fs.open, 0);
}

TEST(SetupLog, ALogThatCannotBeOpenedStopsNothing) {
    FakeLogFiles fs;
    fs.denied.insert(u"C:\\Windows\\setup.log");
    engine::SetupLog log;
    platform::Outcome opened = log.Open(u"C:\\Windows\\setup.log");
    EXPECT_FALSE(opened.ok());
    EXPECT_EQ(opened.error, platform::kErrorAccessDenied);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_FALSE(log.Write(u"step"));
    EXPECT_FALSE(log.WriteError(u"step", 5));
    EXPECT_TRUE(fs.files.empty());

    // A failed write is reported and the next one is still tried.
    ASSERT_TRUE(log.Open(u"C:\\ok.log").ok());
    fs.writesFail = true;
    EXPECT_FALSE(log.Write(u"lost"));
    fs.writesFail = false;
    EXPECT_TRUE(log.Write(u"kept"));
    EXPECT_EQ(fs.files[u"C:\\ok.log"], "2026-12-07 14:03:59 kept\r\n");

    // Opening another log closes the first.
    ASSERT_TRUE(log.Open(u"C:\\other.log").ok());
    EXPECT_EQ(fs.open, 1);
}

TEST(SetupLog, EveryErrorCodeWithTheSystemsTextOnOneLine) {
    FakeLogFiles fs;
    fs.messages[1603] = u"Fatal error during installation.\r\n";
    fs.messages[87] = u"The parameter is incorrect.\r\nSee the details.\r\n";
    fs.messages[2] = std::u16string(600, u'x');  // longer than the log asks for
    EXPECT_EQ(engine::ErrorText(5), u"error 5: Access is denied.");
    EXPECT_EQ(engine::ErrorText(1603), u"error 1603: Fatal error during installation.");
    EXPECT_EQ(engine::ErrorText(2), u"error 2 (the system has no text for it)");
    EXPECT_EQ(engine::ErrorText(12345), u"error 12345 (the system has no text for it)");
    // Setup and COM codes read as their documentation writes them.
    EXPECT_EQ(engine::ErrorText(0xE0000235), u"error 0xE0000235 (the system has no text for it)");
    EXPECT_EQ(engine::ErrorText(0x80070005), u"error 0x80070005 (the system has no text for it)");

    engine::SetupLog log;
    ASSERT_TRUE(log.Open(u"C:\\x.log").ok());
    log.WriteError(u"Step\r\ntwo", 87);
    EXPECT_EQ(fs.files[u"C:\\x.log"],
              "2026-12-07 14:03:59 Step  two: error 87: The parameter is incorrect.  See the details.\r\n");
}

TEST(SetupLog, ALongLineIsWrittenWholeWithItsCharactersUnsplit) {
    FakeLogFiles fs;
    // Far longer than the conversion's buffer, with pairs straddling every possible border.
    std::u16string line;
    for (int i = 0; i < 20000; ++i) line += i % 3 ? u"\U0001F5A8" : u"a系";
    engine::SetupLog log;
    ASSERT_TRUE(log.Open(u"C:\\x.log").ok());
    ASSERT_TRUE(log.Write(line));
    EXPECT_EQ(fs.files[u"C:\\x.log"], "2026-12-07 14:03:59 " + text::ToUtf8(line) + "\r\n");
}

TEST(SetupLog, TheDefaultLogLiesInTheTemporaryFolder) {
    FakeLogFiles fs;
    EXPECT_EQ(engine::DefaultLogPath().value_or(u"?"), u"C:\\Temp\\tamrin-setup.log");
    fs.tempPath = u"C:\\Temp";
    EXPECT_EQ(engine::DefaultLogPath().value_or(u"?"), u"C:\\Temp\\tamrin-setup.log");
    // GetTempPathW's longest result (MAX_PATH + 1) is read whole; a path that would not
    // fit the path buffer with the file name is none.
    fs.tempPath = u"C:\\" + std::u16string(257, u't') + u"\\";
    EXPECT_FALSE(engine::DefaultLogPath().has_value());
    fs.tempPath = u"C:\\" + std::u16string(259 - 3 - 1 - 16, u't') + u"\\";
    EXPECT_EQ(engine::DefaultLogPath().value_or(u"?").size(), 259u);
    fs.tempFails = true;
    EXPECT_FALSE(engine::DefaultLogPath().has_value());
    fs.tempFails = false;
    fs.tempPath = u"C:\\Temp\\";

    engine::SetupOptions options;
    EXPECT_FALSE(engine::LogPathFor(options).has_value()) << "the wizard without /log writes none";
    options.quiet = true;
    EXPECT_EQ(engine::LogPathFor(options).value_or(u"?"), u"C:\\Temp\\tamrin-setup.log");
    options.logFile = u"D:\\x.log";
    EXPECT_EQ(engine::LogPathFor(options).value_or(u"?"), u"D:\\x.log");
    options.quiet = false;
    EXPECT_EQ(engine::LogPathFor(options).value_or(u"?"), u"D:\\x.log");
}

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SetupLog, TheBuildsOwnServiceAppendsToARealFile) {
    TempDir dir;
    std::filesystem::path file = dir.path() / "setup.log";
    const std::u16string path = ProgramPath(file);
    {
        engine::SetupLog log;
        ASSERT_TRUE(log.Open(path).ok());
        EXPECT_TRUE(log.Write(u"first KV系列"));
        // Readable by others while it is open.
        EXPECT_NE(ReadAll(file).find("first KV\xE7\xB3\xBB\xE5\x88\x97\r\n"), std::string::npos);
    }
    {
        engine::SetupLog log;
        ASSERT_TRUE(log.Open(path).ok()) << "a file that is there opens too";
        EXPECT_TRUE(log.WriteError(u"second", 5));
    }
    std::string content = ReadAll(file);
    ASSERT_GE(content.size(), 20u);
    EXPECT_EQ(content.compare(0, 2, "20"), 0) << "no byte-order mark; the year first: " << content;
    EXPECT_NE(content.find(" first KV"), std::string::npos);
    EXPECT_LT(content.find(" first KV"), content.find(" second: error 5"));
    EXPECT_EQ(content.back(), '\n');

    engine::SetupLog missingFolder;
    platform::Outcome opened = missingFolder.Open(ProgramPath(dir.path() / "no" / "such" / "x.log"));
    EXPECT_FALSE(opened.ok());
    EXPECT_EQ(opened.error, platform::kErrorPathNotFound);
    EXPECT_TRUE(engine::DefaultLogPath().has_value());
}

}  // namespace
