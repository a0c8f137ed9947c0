// The x86 program under WOW64 hands the run over to the x64 program beside it. Windows'
// behaviour stands behind the seam as its documentation gives it (IsWow64Process,
// CreateProcessW, GetExitCodeProcess and CommandLineToArgvW on Microsoft Learn; for the
// signature check CreateFileW's dwShareMode, WinVerifyTrust and "Certificate and trust
// return values").
#include "engine/machine/machine.h"
#include "engine/run/wow64_handover.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "platform/log_file.h"
#include "tests/support/fake_processes.h"

namespace {

using platform::Dword;

TEST(Wow64HandOver, TheArgumentsFollowTheProgramNameAsWindowsParsesIt) {
    EXPECT_EQ(engine::ArgumentsOf(u"\"C:\\My Media\\tamrin32.exe\" /quiet /model \"KV 100\""),
              u"/quiet /model \"KV 100\"");
    EXPECT_EQ(engine::ArgumentsOf(u"C:\\Media\\tamrin32.exe\t  /log x.log"), u"/log x.log");
    EXPECT_EQ(engine::ArgumentsOf(u"tamrin32.exe"), u"");
    EXPECT_EQ(engine::ArgumentsOf(u"\"tamrin32.exe\""), u"");
    EXPECT_EQ(engine::ArgumentsOf(u"\"unclosed /quiet"), u"");
    // The name ends at its closing quote, as SplitCommandLine ends it.
    EXPECT_EQ(engine::ArgumentsOf(u"\"C:\\a b\\t.exe\"/quiet"), u"/quiet");
    EXPECT_EQ(engine::ArgumentsOf(u""), u"");
    EXPECT_EQ(engine::HandOverCommandLine(u"C:\\M\\tamrin64.exe", u""), u"\"C:\\M\\tamrin64.exe\"");
}

TEST(Wow64HandOver, UnderWow64TheX64ProgramRunsWithTheSameArgumentsAndItsExitCodeIsPassedOn) {
    FakeProcesses processes;
    processes.commandLine = u"\"C:\\Media\\tamrin32.exe\"  /quiet /model \"KV 100\"";
    processes.exitCode = 3010;
    engine::HandOver handOver = engine::HandOverToX64Program(u"C:\\Media\\", std::nullopt);
    EXPECT_EQ(handOver.outcome, engine::HandOverOutcome::Finished);
    EXPECT_EQ(handOver.exitCode, 3010u);
    // By its full path as the application name: no search, so nothing else of that name runs.
    EXPECT_EQ(processes.applications, std::vector<std::u16string>{u"C:\\Media\\tamrin64.exe"});
    EXPECT_EQ(processes.commandLines,
              std::vector<std::u16string>{u"\"C:\\Media\\tamrin64.exe\" /quiet /model \"KV 100\""});
    EXPECT_EQ(processes.waits, std::vector<Dword>{platform::kInfinite});
    EXPECT_EQ(processes.open, 0) << "process and thread handles closed";

    processes.exitCodeReadable = false;
    EXPECT_EQ(engine::HandOverToX64Program(u"C:\\Media\\", std::nullopt).exitCode, 1u);
}

// Without IsWow64Process2 (before Windows 10 1709) the machine is told by IsWow64Process.
TEST(Wow64HandOver, WithoutIsWow64Process2OnlyWow64MakesTheMachine64Bit) {
    FakeProcesses processes;
    for (auto wow64 : {FakeProcesses::Wow64::No, FakeProcesses::Wow64::NoSuchCall}) {
        processes.wow64 = wow64;
        EXPECT_FALSE(engine::ReadMachine().underWow64);
    }
    processes.wow64 = FakeProcesses::Wow64::Yes;
    EXPECT_EQ(engine::ReadMachine().native, engine::Architecture::Amd64);
}

TEST(Wow64HandOver, AMissingOrUnstartableX64ProgramIsReportedNotWaitedFor) {
    FakeProcesses processes;
    processes.programThere = false;
    engine::HandOver missing = engine::HandOverToX64Program(u"D:\\", std::nullopt);
    EXPECT_EQ(missing.outcome, engine::HandOverOutcome::ProgramMissing);
    EXPECT_EQ(missing.program, u"D:\\tamrin64.exe");
    EXPECT_EQ(missing.error, 2u);

    processes.programThere = true;
    processes.startError = 193;  // ERROR_BAD_EXE_FORMAT
    engine::HandOver failed = engine::HandOverToX64Program(u"D:\\", std::nullopt);
    EXPECT_EQ(failed.outcome, engine::HandOverOutcome::StartFailed);
    EXPECT_EQ(failed.error, 193u);
    EXPECT_TRUE(processes.waits.empty());
    EXPECT_EQ(processes.open, 0);
}

// tamrin64.exe as the file system and WinVerifyTrust see it. While a handle opened without
// FILE_SHARE_WRITE and FILE_SHARE_DELETE is open, no one can open the file to write,
// rename or delete it (CreateFileW, dwShareMode), so it cannot be replaced.
class FakeProgramFile final : public platform::SignedFiles, public KernelObjectsFake {
public:
    using Called = platform::Result<platform::Bool>;
    struct Content {
        std::string name;
        platform::SignatureCheck signature;
        std::uint64_t volume = 0x1122334455667788, index = 0x7000000001234;
    };
    std::optional<Content> file;
    Dword openError = 0;  // another reason it cannot be opened
    // Put in its place, when the file can be replaced, right after its signature was checked.
    std::optional<Content> replacement;
    std::u16string imageAt = u"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume3\\Media\\tamrin64.exe";
    std::optional<Content> image;            // the file imageAt opens; by default the checked one
    bool fileIdInfo = true, wideIds = true;  // false: Windows 7; a file system without 128-bit IDs
    Dword identityError = 0;

    std::vector<Dword> shares;  // the share mode of every open
    int open = 0;

    platform::Result<platform::Handle> CreateFileW(const char16_t* path, Dword access, Dword share,
                                                   Dword creation, Dword flags) override {
        EXPECT_EQ(creation, platform::kOpenExisting);
        if (access == platform::kFileReadAttributes) {
            EXPECT_EQ(share, 1 | kShareWrite | kShareDelete);
            EXPECT_EQ(flags, platform::kFileFlagOpenReparsePoint);
            if (path != imageAt) return {platform::kInvalidHandle, platform::kErrorFileNotFound};
            ++open;
            return {kImage};
        }
        EXPECT_EQ(std::u16string(path), u"C:\\Media\\tamrin64.exe");
        EXPECT_EQ(access, platform::kGenericRead);
        shares.push_back(share);
        if (!file) return {platform::kInvalidHandle, platform::kErrorFileNotFound};
        if (openError) return {platform::kInvalidHandle, openError};
        ++open;
        locked_ = (share & (kShareWrite | kShareDelete)) == 0;
        checked_ = *file;
        return {kFile};
    }
    platform::SignatureCheck VerifySignature(platform::Handle handle, const char16_t*) override {
        EXPECT_EQ(handle, kFile);
        platform::SignatureCheck check = file->signature;
        if (replacement && !(open && locked_)) file = replacement;
        return check;
    }
    Called GetFileIdInfo(platform::Handle h, platform::FileIdentity* id) override {
        return fileIdInfo ? Identify(h, id, true) : Called{0, platform::kErrorInvalidParameter};
    }
    Called GetFileIndex(platform::Handle h, platform::FileIdentity* id) override {
        return Identify(h, id, false);
    }

private:
    static constexpr Dword kShareWrite = 2, kShareDelete = 4;
    static inline platform::Handle const kFile = reinterpret_cast<platform::Handle>(0x50);
    static inline platform::Handle const kImage = reinterpret_cast<platform::Handle>(0x54);
    bool locked_ = false;
    Content checked_;

    Called Identify(platform::Handle h, platform::FileIdentity* id, bool wide) {
        const Content& of = h == kImage ? image.value_or(checked_) : checked_;
        *id = {wide, wide ? of.volume : of.volume & 0xFFFFFFFF, {}};
        if (wideIds || !wide) std::memcpy(id->fileId.data(), &of.index, 8);  // little-endian
        return {!identityError, identityError};
    }
    bool GaveOut(platform::Handle h) const override { return h == kFile || h == kImage; }
    Dword Wait(platform::Handle, Dword) override { return 0; }
    platform::Bool Close(platform::Handle) override {
        --open;
        return 1;
    }

    platform::ScopedService<platform::SignedFiles> scope_{*this};
};

const platform::Sha256 kOurs = engine::ParseThumbprint(std::string(64, 'a')).value();
const platform::Sha256 kTheirs = engine::ParseThumbprint(std::string(64, 'B')).value();

TEST(Wow64HandOver, TheX64ProgramStartsOnlyWithAnIntactSignatureByTheExpectedCertificate) {
    using engine::SignatureFinding;
    using Outcome = engine::HandOverOutcome;
    const struct Row {
        const char* what;
        platform::SignatureCheck check;
        Outcome outcome;
        SignatureFinding finding;
    } rows[] = {
        // Unsigned, changed after signing and another certificate: the Wine script signs
        // real programs for these. What Wine cannot show stands here.
        {"another, trusted certificate",
         {platform::kTrustSuccess, kTheirs},
         Outcome::Refused,
         SignatureFinding::OtherSigner},
        {"a chain without a readable signer",
         {platform::kCertEChaining, std::nullopt},
         Outcome::Refused,
         SignatureFinding::NoSigner},
        {"revoked", {platform::kCertERevoked, kOurs}, Outcome::Refused, SignatureFinding::Unverifiable},
        {"explicitly distrusted",
         {platform::kTrustEExplicitDistrust, kOurs},
         Outcome::Refused,
         SignatureFinding::Unverifiable},
        {"ours, trusted", {platform::kTrustSuccess, kOurs}, Outcome::Finished, SignatureFinding::Trusted},
        {"ours, our own root",
         {platform::kCertEUntrustedRoot, kOurs},
         Outcome::Finished,
         SignatureFinding::ChainNotTrusted},
        {"ours, expired without time stamp",
         {platform::kCertEExpired, kOurs},
         Outcome::Finished,
         SignatureFinding::ChainNotTrusted},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeProcesses processes;
        FakeProgramFile program;
        program.file = FakeProgramFile::Content{"tamrin64", row.check};
        int openAtStart = -1;
        processes.onStart = [&] { openAtStart = program.open; };

        engine::HandOver handOver = engine::HandOverToX64Program(u"C:\\Media\\", kOurs);
        EXPECT_EQ(handOver.outcome, row.outcome);
        EXPECT_EQ(handOver.signature, row.finding);
        EXPECT_EQ(handOver.check.trust, row.check.trust);
        EXPECT_EQ(handOver.expected, kOurs);
        EXPECT_EQ(processes.applications.size(), row.outcome == Outcome::Finished ? 1u : 0u);
        if (row.outcome == Outcome::Finished) {
            EXPECT_EQ(openAtStart, 1) << "held open across the start";
        }
        EXPECT_EQ(program.shares, std::vector<Dword>{platform::kFileShareRead});
        EXPECT_EQ(program.open, 0);
        EXPECT_EQ(processes.open, 0);
    }
}

// Started suspended (CREATE_SUSPENDED), it runs only when the file its process maps is the
// file checked (FILE_ID_INFO: volume serial number and file ID "uniquely identify a file on
// a single computer"); else it is ended before it ran (ResumeThread, TerminateProcess).
TEST(Wow64HandOver, TheX64ProgramRunsOnlyWhenItsImageIsTheFileChecked) {
    using Outcome = engine::HandOverOutcome;
    using Content = FakeProgramFile::Content;
    const Content planted{"planted", {}, 0x1122334455667788, 0x9};
    const struct Row {
        const char* what;
        Outcome outcome = Outcome::NotTheFileChecked;
        const char16_t* logged = u"is not the one whose signature was checked: ";
        std::u16string imageAt{};        // the name its file opens by; empty: its device name
        std::optional<Content> image{};  // that file, on a share; none: the file checked
        bool fileIdInfo = true, wideIds = true;
        Dword nameError = 0, identityError = 0;
    } rows[] = {
        {.what = "the file checked, by its device name", .outcome = Outcome::Finished},
        {.what = "the file checked, by its Win32 name where the other does not open (Wine)",
         .outcome = Outcome::Finished, .imageAt = u"C:\\Media\\tamrin64.exe"},
        {.what = "Windows 7: the file index", .outcome = Outcome::Finished, .fileIdInfo = false},
        {.what = "another file", .logged = u"checked: \\\\?\\GLOBALROOT\\Device\\Mup\\nas", .image = planted},
        {.what = "another file on a file system without 128-bit IDs", .image = planted, .wideIds = false},
        {.what = "the same file ID on another volume", .image = Content{"", {}, 0x99, 0x7000000001234},
         .fileIdInfo = false},
        {.what = "no name", .logged = u"started cannot be read: error 5", .nameError = 5},
        {.what = "no file by that name", .logged = u"cannot be opened as C:\\Media\\tamrin64.exe: error 2",
         .imageAt = u"D:\\elsewhere.exe"},
        {.what = "unreadable identities", .logged = u"or of the one checked cannot be read: error 1",
         .identityError = 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeProcesses processes;
        processes.exitCode = 3010;
        if (row.image) processes.nativeName = u"\\Device\\Mup\\nas\\m\\tamrin64.exe";
        processes.nameError = row.nameError;
        FakeProgramFile program;
        program.file = Content{"signed", {platform::kTrustSuccess, kOurs}};
        program.imageAt = row.imageAt.empty() ? u"\\\\?\\GLOBALROOT" + processes.nativeName : row.imageAt;
        program.image = row.image;
        program.fileIdInfo = row.fileIdInfo;
        program.wideIds = row.wideIds;
        program.identityError = row.identityError;

        engine::HandOver handOver = engine::HandOverToX64Program(u"C:\\Media\\", kOurs);
        const bool ran = row.outcome == Outcome::Finished;
        EXPECT_EQ(handOver.outcome, row.outcome);
        EXPECT_EQ(handOver.exitCode, ran ? 3010u : 0u);
        EXPECT_EQ((std::vector<int>{processes.suspended, processes.resumed, processes.terminated}),
                  (std::vector<int>{1, ran, !ran}));
        EXPECT_EQ(processes.waits, std::vector<Dword>{platform::kInfinite});  // also when ended
        EXPECT_TRUE(ran || engine::ImageRefusal(handOver.image).find(row.logged) != std::u16string::npos);
        EXPECT_EQ(program.open + processes.open, 0);
    }
}

TEST(Wow64HandOver, AProgramReplacedAfterItsCheckIsNotTheOneStarted) {
    FakeProcesses processes;
    FakeProgramFile program;
    program.file = FakeProgramFile::Content{"signed", {platform::kTrustSuccess, kOurs}};
    program.replacement = FakeProgramFile::Content{"planted", {platform::kTrustENoSignature, std::nullopt}};
    std::string started;
    processes.onStart = [&] { started = program.file->name; };

    EXPECT_EQ(engine::HandOverToX64Program(u"C:\\Media\\", kOurs).outcome, engine::HandOverOutcome::Finished);
    EXPECT_EQ(started, "signed");

    // A build without a signer opens nothing, as before: the file can be replaced then.
    program.replacement.reset();
    EXPECT_EQ(engine::HandOverToX64Program(u"C:\\Media\\", std::nullopt).outcome,
              engine::HandOverOutcome::Finished);
    EXPECT_EQ(program.shares.size(), 1u);
}

TEST(Wow64HandOver, AProgramThatCannotBeOpenedForItsCheckIsNotStarted) {
    FakeProcesses processes;
    FakeProgramFile program;
    engine::HandOver missing = engine::HandOverToX64Program(u"C:\\Media\\", kOurs);
    EXPECT_EQ(missing.outcome, engine::HandOverOutcome::ProgramMissing);
    EXPECT_EQ(missing.error, platform::kErrorFileNotFound);

    // Someone holds it open for writing: it could change after the check.
    program.file = FakeProgramFile::Content{"tamrin64", {platform::kTrustSuccess, kOurs}};
    program.openError = platform::kErrorSharingViolation;
    engine::HandOver busy = engine::HandOverToX64Program(u"C:\\Media\\", kOurs);
    EXPECT_EQ(busy.outcome, engine::HandOverOutcome::StartFailed);
    EXPECT_EQ(busy.error, platform::kErrorSharingViolation);
    EXPECT_TRUE(processes.applications.empty());
}

}  // namespace
