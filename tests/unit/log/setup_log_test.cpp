// The setup log, with the system behind the seam as its documentation gives it:
// "CreateFileW function" (OPEN_ALWAYS opens a file that is there with ERROR_ALREADY_EXISTS
// and creates a missing one; CREATE_NEW fails with ERROR_FILE_EXISTS on any name that is
// there; a folder opens only with FILE_FLAG_BACKUP_SEMANTICS, else ERROR_ACCESS_DENIED;
// FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, without it the link is followed;
// FILE_APPEND_DATA without FILE_WRITE_DATA writes only at the end, "File Security and
// Access Rights"), "GetFileInformationByHandle function" (dwFileAttributes,
// nNumberOfLinks), "GetSecurityInfo function" (the owner needs READ_CONTROL),
// "FormatMessageW function" (the count of characters stored without the terminator, 0 and
// ERROR_INSUFFICIENT_BUFFER when the text does not fit) and "GetTempPath2W function" (the
// path ends in a backslash; the size needed when it does not fit). The last test writes
// a real file through the build's own service.
#include "engine/run/log_target.h"

#include <gtest/gtest.h>

#include <filesystem>
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

const char16_t kUserSid[] = u"S-1-5-21-1004336348-1177238915-682003330-1001";

class FakeLogFiles final : public platform::LogFiles {
public:
    std::map<std::u16string, std::string> files;
    std::u16string deniedFolder = u"C:\\Windows\\";  // nothing in it opens or is made
    std::set<std::u16string> folders;
    std::map<std::u16string, std::u16string> links;   // a link's name: what it points to
    std::map<std::u16string, Dword> names;            // files with hard links: their number of names
    std::map<std::u16string, std::u16string> owners;  // files that are not the Administrators'
    std::u16string newOwner = u"S-1-5-32-544";        // the owner of a file made here
    std::map<Dword, std::u16string> messages{{5, u"Access is denied.\r\n"}};
    std::u16string tempPath = u"C:\\Temp\\";
    bool tempFails = false;
    bool writesFail = false;
    platform::SystemTime now{2026, 12, 1, 7, 14, 3, 59, 120};

    Dword access = 0, share = 0, creation = 0, flags = 0;
    int open = 0;

    platform::Result<platform::Handle> CreateFileW(const char16_t* name, Dword a, Dword s, Dword c,
                                                   Dword f) override {
        access = a, share = s, creation = c, flags = f;
        std::u16string path = name;
        if (path.rfind(deniedFolder, 0) == 0 || folders.count(path))
            return {platform::kInvalidHandle, platform::kErrorAccessDenied};
        const bool there = files.count(path) || links.count(path);
        if (c == platform::kCreateNew && there) return {platform::kInvalidHandle, platform::kErrorFileExists};
        if (links.count(path) && !(f & platform::kFileFlagOpenReparsePoint)) path = links[path];
        bool existed = files.count(path) || links.count(path);
        if (!existed && c != platform::kOpenAlways && c != platform::kCreateNew)
            return {platform::kInvalidHandle, platform::kErrorFileNotFound};
        if (!existed) owners[path] = newOwner;
        files[path];
        ++open;
        handles_[++next_] = {path, a};
        return {reinterpret_cast<platform::Handle>(next_), existed ? platform::kErrorAlreadyExists : 0};
    }
    platform::Result<platform::Bool> GetFileInformationByHandle(platform::Handle file,
                                                                platform::FileInformation* info) override {
        const Opened* h = Find(file);
        if (!h) return {0, platform::kErrorInvalidHandle};
        info->attributes =
            links.count(h->path) ? platform::kFileAttributeReparsePoint : platform::kFileAttributeNormal;
        info->numberOfLinks = names.count(h->path) ? names[h->path] : 1;
        return {1};
    }
    platform::Result<platform::Bool> GetFileOwnerSid(platform::Handle file, char16_t* sid,
                                                     Dword size) override {
        const Opened* h = Find(file);
        if (!h) return {0, platform::kErrorInvalidHandle};
        if (!(h->access & platform::kReadControl)) return {0, platform::kErrorAccessDenied};
        const std::u16string owner = owners.count(h->path) ? owners[h->path] : u"S-1-5-32-544";
        if (!text::Copy(sid, size, owner.c_str())) return {0, platform::kErrorInsufficientBuffer};
        return {1};
    }
    platform::Result<platform::Bool> WriteFile(platform::Handle file, const void* data, Dword size,
                                               Dword* written) override {
        const Opened* h = Find(file);
        if (!h || writesFail) {
            *written = 0;
            return {0, 29};  // ERROR_WRITE_FAULT
        }
        files[h->path].append(static_cast<const char*>(data), size);
        *written = size;
        return {1};
    }
    platform::Result<platform::Bool> CloseHandle(platform::Handle file) override {
        if (!handles_.erase(reinterpret_cast<std::intptr_t>(file))) return {0, 6};  // ERROR_INVALID_HANDLE
        --open;
        return {1};
    }
    void GetLocalTime(platform::SystemTime* time) override { *time = now; }
    Dword GetCurrentProcessId() override { return 4312; }
    Dword FormatSystemMessage(Dword error, char16_t* buffer, Dword size) override {
        auto m = messages.find(error);
        if (m == messages.end() || m->second.size() + 1 > size) return 0;
        text::Copy(buffer, size, m->second.c_str());
        return static_cast<Dword>(m->second.size());
    }
    Dword GetTempPath2W(Dword size, char16_t* buffer) override {
        if (tempFails) return 0;
        if (tempPath.size() + 1 > size) return static_cast<Dword>(tempPath.size() + 1);
        text::Copy(buffer, size, tempPath.c_str());
        return static_cast<Dword>(tempPath.size());
    }

private:
    struct Opened {
        std::u16string path;
        Dword access;
    };
    const Opened* Find(platform::Handle file) const {
        auto h = handles_.find(reinterpret_cast<std::intptr_t>(file));
        return h == handles_.end() ? nullptr : &h->second;
    }

    std::intptr_t next_ = 0x100;
    std::map<std::intptr_t, Opened> handles_;
    platform::ScopedService<platform::LogFiles> scope_{*this};
};

TEST(SetupLog, LinesAreAppendedWithTheLocalTimeAndWhatWasThereStays) {
    FakeLogFiles fs;
    fs.files[u"C:\\Logs\\setup.log"] = "earlier run\r\n";
    engine::SetupLog log;
    platform::Outcome opened = log.Open(u"C:\\Logs\\setup.log");
    EXPECT_TRUE(opened.ok()) << "ERROR_ALREADY_EXISTS from OPEN_ALWAYS is a success";
    EXPECT_EQ(fs.access, platform::kFileAppendData | platform::kFileReadAttributes);
    EXPECT_EQ(fs.share, platform::kFileShareRead | platform::kFileShareWrite);
    EXPECT_EQ(fs.creation, platform::kOpenAlways);
    EXPECT_EQ(fs.flags, platform::kFileAttributeNormal | platform::kFileFlagOpenReparsePoint);
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
    // GetTempPath2W's longest result (MAX_PATH + 1) is read whole; a path that would not
    // fit the path buffer with the file name is none.
    fs.tempPath = u"C:\\" + std::u16string(257, u't') + u"\\";
    EXPECT_FALSE(engine::DefaultLogPath().has_value());
    fs.tempPath = u"C:\\" + std::u16string(259 - 3 - 1 - 16, u't') + u"\\";
    EXPECT_EQ(engine::DefaultLogPath().value_or(u"?").size(), 259u);
    fs.tempFails = true;
    EXPECT_FALSE(engine::DefaultLogPath().has_value());
    fs.tempFails = false;
    fs.tempPath = u"C:\\Temp\\";

    using engine::LogOwner;
    auto target = [](const engine::SetupOptions& options) {
        std::optional<engine::LogTarget> t = engine::LogPathFor(options);
        return t ? std::make_pair(t->path, t->owner)
                 : std::make_pair(std::u16string(u"none"), LogOwner::Anyone);
    };
    using Target = std::pair<std::u16string, LogOwner>;
    engine::SetupOptions options;
    EXPECT_EQ(target(options), Target(u"none", LogOwner::Anyone)) << "the wizard without /log writes none";
    options.quiet = true;
    EXPECT_EQ(target(options), Target(u"C:\\Temp\\tamrin-setup.log", LogOwner::SystemOrAdministrators));
    options.logFile = u"D:\\x.log";
    EXPECT_EQ(target(options), Target(u"D:\\x.log", LogOwner::Anyone));
    options.quiet = false;
    EXPECT_EQ(target(options), Target(u"D:\\x.log", LogOwner::Anyone));
}

// What another account may have put where the log goes: each is left as it was, and the
// log is a new file beside it whose first line says why.
TEST(SetupLog, AFileThatMayNotServeIsLeftAloneAndTheLogGoesBesideIt) {
    using engine::LogOwner;
    const std::u16string log = u"C:\\Temp\\tamrin-setup.log";
    const std::u16string beside = u"C:\\Temp\\tamrin-setup-20261207-140359-120-4312.log";
    const std::string why =
        "2026-12-07 14:03:59 This log is written here, not to \"C:\\Temp\\tamrin-setup.log\", "
        "which may not serve: ";
    const struct Row {
        const char* what;
        LogOwner owner;
        void (*arrange)(FakeLogFiles&);
        std::u16string used;
        std::string reason;  // the first line's end; empty: the file itself is used
    } rows[] = {
        {"a planted file owned by a user", LogOwner::SystemOrAdministrators,
         [](FakeLogFiles& fs) {
             fs.files[u"C:\\Temp\\tamrin-setup.log"] = "forged\r\n",
             fs.owners[u"C:\\Temp\\tamrin-setup.log"] = kUserSid;
         },
         beside, "it is owned by " + text::ToUtf8(kUserSid) + ", not by SYSTEM or the Administrators group"},
        {"a folder", LogOwner::SystemOrAdministrators,
         [](FakeLogFiles& fs) { fs.folders.insert(u"C:\\Temp\\tamrin-setup.log"); }, beside,
         "it cannot be opened as a file: error 5: Access is denied."},
        {"a link", LogOwner::Anyone,
         [](FakeLogFiles& fs) {
             fs.links[u"C:\\Temp\\tamrin-setup.log"] = u"D:\\Data\\notes.txt";
             fs.files[u"D:\\Data\\notes.txt"] = "[fonts]\r\n";
         },
         beside, "it is a link or another reparse point"},
        {"a hard link", LogOwner::Anyone,
         [](FakeLogFiles& fs) {
             fs.files[u"C:\\Temp\\tamrin-setup.log"], fs.names[u"C:\\Temp\\tamrin-setup.log"] = 2;
         },
         beside, "it is a file with 2 names (hard links), not one"},
        {"the /log file owned by a user", LogOwner::Anyone,
         [](FakeLogFiles& fs) {
             fs.files[u"C:\\Temp\\tamrin-setup.log"], fs.owners[u"C:\\Temp\\tamrin-setup.log"] = kUserSid;
         },
         log, ""},
        {"the default log of an earlier run as SYSTEM", LogOwner::SystemOrAdministrators,
         [](FakeLogFiles& fs) {
             fs.files[u"C:\\Temp\\tamrin-setup.log"], fs.owners[u"C:\\Temp\\tamrin-setup.log"] = u"S-1-5-18";
         },
         log, ""},
        {"a new default log, whoever owns new files", LogOwner::SystemOrAdministrators,
         [](FakeLogFiles& fs) { fs.newOwner = kUserSid; }, log, ""},
        {"names beside it taken", LogOwner::SystemOrAdministrators,
         [](FakeLogFiles& fs) {
             fs.folders.insert(u"C:\\Temp\\tamrin-setup.log");
             fs.files[u"C:\\Temp\\tamrin-setup-20261207-140359-120-4312.log"] = "planted\r\n";
             fs.links[u"C:\\Temp\\tamrin-setup-20261207-140359-120-4312-2.log"] = u"D:\\Data\\notes.txt";
         },
         u"C:\\Temp\\tamrin-setup-20261207-140359-120-4312-3.log",
         "it cannot be opened as a file: error 5: Access is denied."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeLogFiles fs;
        row.arrange(fs);
        const std::map<std::u16string, std::string> before = fs.files;
        engine::SetupLog setupLog;
        ASSERT_TRUE(setupLog.Open(log, row.owner).ok());
        EXPECT_TRUE(setupLog.Write(u"step"));
        const std::string first = row.reason.empty() ? "" : why + row.reason + "\r\n";
        EXPECT_EQ(fs.files[row.used], (before.count(row.used) ? before.at(row.used) : "") + first +
                                          "2026-12-07 14:03:59 step\r\n");
        for (const auto& [path, content] : before) {
            if (path != row.used) {
                EXPECT_EQ(fs.files[path], content) << text::ToUtf8(path) << " was changed";
            }
        }
        EXPECT_EQ(fs.creation, row.reason.empty() ? platform::kOpenAlways : platform::kCreateNew);
    }
}

TEST(SetupLog, WhenEveryNameBesideIsTakenThereIsNoLog) {
    FakeLogFiles fs;
    fs.folders.insert(u"C:\\Temp\\tamrin-setup.log");
    for (int attempt = 0; attempt < 8; ++attempt) {
        fs.files[engine::BesideName(u"C:\\Temp\\tamrin-setup.log", fs.now, 4312, attempt)] = "planted";
    }
    const std::map<std::u16string, std::string> before = fs.files;
    engine::SetupLog log;
    platform::Outcome opened =
        log.Open(u"C:\\Temp\\tamrin-setup.log", engine::LogOwner::SystemOrAdministrators);
    EXPECT_FALSE(opened.ok());
    EXPECT_EQ(opened.error, platform::kErrorFileExists);
    EXPECT_EQ(fs.files, before);
    EXPECT_EQ(fs.open, 0);
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
