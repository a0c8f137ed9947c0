// What the program does when it starts, as one table: each row a command line and the
// facts of the machine, and the decision with the facts it had to ask for.
#include "engine/run/startup.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/run/exit_codes.h"
#include "platform/message_box.h"
#include "tests/support/text_convert.h"

namespace {

using engine::CatalogueProblem;
using engine::HandOverOutcome;
using engine::InstanceState;
using engine::StartAction;

struct Facts final : engine::StartFacts {
    bool folderFits = true;
    engine::HandOver handOver;
    InstanceState lock = InstanceState::Alone;
    bool globalName = false;
    CatalogueProblem catalogue = CatalogueProblem::None;
    std::u16string asked;  // one letter a fact: H hand-over, L lock, C catalogue

    bool FolderFits() override { return folderFits; }
    engine::HandOver HandOverIfNeeded() override {
        asked += u'H';
        return handOver;
    }
    engine::InstanceStatus TakeSetupLock() override {
        asked += u'L';
        engine::InstanceStatus status{lock, u"", 0, globalName};
        if (lock == InstanceState::Unknown) {
            status.failure = u"the mutex M cannot be made or opened";
            status.error = 5;
        }
        return status;
    }
    CatalogueProblem CheckCatalogue() override {
        asked += u'C';
        return catalogue;
    }
    const std::u16string& CatalogueFile() const override { return file; }
    std::u16string file = u"D:\\PrinterInfor.Inf";
    platform::ProtectedPrintReading protectedPrint;
    platform::ProtectedPrintReading ReadProtectedPrint() override {
        asked += u'P';
        return protectedPrint;
    }
};

engine::HandOver HandedOver(HandOverOutcome outcome, std::uint32_t exitCode = 0) {
    engine::HandOver handOver;
    handOver.outcome = outcome;
    handOver.exitCode = exitCode;
    handOver.error = 2;
    handOver.program = u"D:\\tamrin64.exe";
    return handOver;
}

TEST(Startup, EachCommandLineAndMachineGivesOneDecision) {
    const std::u16string quiet = u"setup.exe /quiet /model KV-100 /port LPT1:";
    const struct Row {
        const char* what;
        std::u16string line;
        bool folderFits;
        engine::HandOver handOver;
        InstanceState lock;
        CatalogueProblem catalogue;
        StartAction action;
        std::uint32_t exitCode;
        std::u16string asked;
        std::u16string logStart;  // the report's log text starts so; empty: no report
        platform::Dword boxType;
    } rows[] = {
        {"the folder path too long", u"setup.exe", false, {}, InstanceState::Alone, CatalogueProblem::None,
         StartAction::End, engine::kExitFailed, u"", u"The path of the program's folder is too long",
         platform::kIconError},
        {"handed over, whatever the line", u"setup.exe /bogus", true, HandedOver(HandOverOutcome::Finished, 3010),
         InstanceState::Alone, CatalogueProblem::None, StartAction::End, 3010, u"H", u"", 0},
        {"no x64 program beside", u"setup.exe", true, HandedOver(HandOverOutcome::ProgramMissing),
         InstanceState::Alone, CatalogueProblem::None, StartAction::End, engine::kExitFailed, u"H",
         u"64-bit Windows needs the x64 program, which is missing: D:\\tamrin64.exe", platform::kIconError},
        {"the x64 program does not start", u"setup.exe", true, HandedOver(HandOverOutcome::StartFailed),
         InstanceState::Alone, CatalogueProblem::None, StartAction::End, engine::kExitFailed, u"H",
         u"64-bit Windows needs the x64 program, which cannot be started", platform::kIconError},
        {"the x64 program started is not the file checked", quiet, true,
         HandedOver(HandOverOutcome::NotTheFileChecked), InstanceState::Alone, CatalogueProblem::None,
         StartAction::End, engine::kExitFailed, u"H",
         u"64-bit Windows needs the x64 program, which was started suspended and not let run because ",
         platform::kIconError},
        {"a refused line takes no lock", u"setup.exe /bogus", true, {}, InstanceState::Alone,
         CatalogueProblem::None, StartAction::End, engine::kExitInvalidCommandLine, u"H", u"Invalid command line: ",
         platform::kIconError},
        {"the usage", u"setup.exe /?", true, {}, InstanceState::Alone, CatalogueProblem::None, StartAction::End,
         engine::kExitSuccess, u"H", u"Usage", platform::kIconInformation},
        {"another setup runs", quiet, true, {}, InstanceState::AnotherRunning, CatalogueProblem::None,
         StartAction::End, engine::kExitAlreadyRunning, u"HL", u"Another setup is running; nothing was changed",
         platform::kIconWarning},
        {"a damaged catalogue, wizard", u"setup.exe", true, {}, InstanceState::Alone, CatalogueProblem::Missing,
         StartAction::End, engine::kExitFailed, u"HLC",
         u"Refused, nothing changed: the catalogue D:\\PrinterInfor.Inf is missing", platform::kIconError},
        {"a damaged catalogue, quiet", quiet, true, {}, InstanceState::Alone, CatalogueProblem::NoModels,
         StartAction::End, engine::kExitFailed, u"HLC",
         u"Refused, nothing changed: the catalogue D:\\PrinterInfor.Inf lists no model", platform::kIconError},
        {"the wizard", u"setup.exe", true, {}, InstanceState::Alone, CatalogueProblem::None, StartAction::RunWizard,
         0, u"HLCP", u"", 0},
        {"the wizard with a log", u"setup.exe /log x.log", true, {}, InstanceState::Alone, CatalogueProblem::None,
         StartAction::RunWizard, 0, u"HLCP", u"", 0},
        {"the unattended mode", quiet, true, {}, InstanceState::Alone, CatalogueProblem::None, StartAction::RunQuiet,
         0, u"HLCP", u"", 0},
        {"ARM64 Windows that runs no x64 program", u"setup.exe", true, HandedOver(HandOverOutcome::X64NotRunnable),
         InstanceState::Alone, CatalogueProblem::None, StartAction::End, engine::kExitFailed, u"H",
         u"This ARM64 Windows runs no x64 program", platform::kIconError},
        {"an unknown lock ends the run", quiet, true, {}, InstanceState::Unknown, CatalogueProblem::None,
         StartAction::End, engine::kExitAlreadyRunning, u"HL",
         u"Whether another setup runs cannot be known, so nothing was changed: the mutex M cannot be made or "
         u"opened: error 5",
         platform::kIconWarning},
        {"an unknown lock ends the wizard too", u"setup.exe", true, {}, InstanceState::Unknown,
         CatalogueProblem::None, StartAction::End, engine::kExitAlreadyRunning, u"HL", u"Whether another setup",
         platform::kIconWarning},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Facts facts;
        facts.folderFits = row.folderFits;
        facts.handOver = row.handOver;
        facts.lock = row.lock;
        facts.catalogue = row.catalogue;
        const engine::StartDecision decision = engine::DecideStart(engine::ParseCommandLine(row.line), facts);
        EXPECT_EQ(decision.action, row.action);
        EXPECT_EQ(decision.exitCode, row.exitCode);
        EXPECT_EQ(facts.asked, row.asked);
        EXPECT_EQ(decision.writesLog, row.handOver.outcome != HandOverOutcome::Finished);
        EXPECT_TRUE(decision.notes.empty());
        ASSERT_EQ(decision.report.has_value(), !row.logStart.empty());
        if (!decision.report) continue;
        EXPECT_EQ(decision.report->logText.substr(0, row.logStart.size()), row.logStart);
        EXPECT_EQ(decision.report->boxType, row.boxType);
        EXPECT_FALSE(decision.report->boxText.empty());
    }
}

// Windows protected print mode ("WindowsProtectedPrintInfo.IsProtectedPrintEnabled") ends
// every run that would install a driver before any change; a removal goes on, and a mode
// that cannot be read is taken as off and noted.
TEST(Startup, ProtectedPrintModeRefusesEveryInstallationButNotTheRemoval) {
    using State = platform::ProtectedPrintReading::State;
    const struct Row {
        std::u16string line;
        State state;
        StartAction action;
        std::u16string asked;
        std::size_t notes;
    } rows[] = {
        {u"setup.exe", State::On, StartAction::End, u"HLCP", 0},
        {u"setup.exe /quiet /model KV-100 /port LPT1:", State::On, StartAction::End, u"HLCP", 0},
        {u"setup.exe /quiet /update /model KV-100", State::On, StartAction::End, u"HLCP", 0},
        {u"setup.exe /quiet /whatif /model KV-100 /port LPT1:", State::On, StartAction::End, u"HLCP", 0},
        {u"setup.exe /quiet /uninstall /model KV-100", State::On, StartAction::RunQuiet, u"HLC", 0},
        {u"setup.exe", State::Unknown, StartAction::RunWizard, u"HLCP", 1},
    };
    for (const Row& row : rows) {
        Facts facts;
        facts.protectedPrint = {row.state, 0x80004005};
        const engine::StartDecision decision = engine::DecideStart(engine::ParseCommandLine(row.line), facts);
        EXPECT_EQ(decision.action, row.action) << Utf8(row.line.c_str());
        EXPECT_EQ(facts.asked, row.asked);
        EXPECT_EQ(decision.notes.size(), row.notes);
        if (row.action != StartAction::End) continue;
        EXPECT_EQ(decision.exitCode, engine::kExitFailed);
        EXPECT_EQ(decision.report->logText.substr(0, 60),
                  u"Refused, nothing changed: Windows protected print mode is on");
        EXPECT_NE(decision.report->boxText.find(u"打印机和扫描仪"), std::u16string::npos);
    }
}

// The boxes name what the user needs to act on: the refusal and where to look further,
// and the error code of an x64 program that did not start (the damaged catalogue's box
// is read whole end to end).
TEST(Startup, TheBoxesSayWhatIsWrong) {
    Facts facts;
    auto box = [&](const std::u16string& line) {
        return engine::DecideStart(engine::ParseCommandLine(line), facts).report.value_or(engine::StartReport{});
    };
    engine::StartReport refused = box(u"setup.exe /model");
    EXPECT_EQ(refused.boxText.substr(0, 6), u"命令行无效：");
    EXPECT_NE(refused.boxText.find(u"/?"), std::u16string::npos);
    EXPECT_EQ(refused.caption, u"Korvel Printer Driver Setup");

    facts.handOver = HandedOver(HandOverOutcome::StartFailed);
    EXPECT_NE(box(u"setup.exe").boxText.find(u"D:\\tamrin64.exe\n\n错误代码：2"), std::u16string::npos);

    facts.handOver = HandedOver(HandOverOutcome::NotTheFileChecked);
    facts.handOver.image.finding = engine::ImageFinding::AnotherFile;
    EXPECT_NE(box(u"setup.exe").boxText.find(u"它在签名之后被改动过"), std::u16string::npos);

    facts.handOver = {};
    facts.lock = InstanceState::Unknown;
    EXPECT_NE(box(u"setup.exe").boxText.find(u"错误代码：5"), std::u16string::npos);
}

// Where the system lacks private namespaces the run goes on under the global name, and
// its log says so.
TEST(Startup, TheGlobalMutexNameIsNoted) {
    Facts facts;
    facts.globalName = true;
    const engine::StartDecision decision =
        engine::DecideStart(engine::ParseCommandLine(u"setup.exe /quiet /model KV-100 /port LPT1:"), facts);
    EXPECT_EQ(decision.action, StartAction::RunQuiet);
    ASSERT_EQ(decision.notes.size(), 1u);
    EXPECT_EQ(decision.notes[0].text, u"This system has no private object namespaces: the global name "
                                   u"Global\\TamrinPrinterSetup keeps one setup at a time");
    EXPECT_EQ(decision.notes[0].error, platform::kErrorProcNotFound);
}

// A refused signature ends the run as a failure that names the reason; a chain not
// trusted here lets the hand-over stand and is written to the log after it.
TEST(Startup, TheX64ProgramsSignatureIsReported) {
    Facts facts;
    facts.handOver = HandedOver(HandOverOutcome::Refused);
    facts.handOver.signature = engine::SignatureFinding::OtherSigner;
    facts.handOver.check = {platform::kCertEUntrustedRoot, engine::ParseThumbprint(std::string(64, 'b'))};
    facts.handOver.expected = engine::ParseThumbprint(std::string(64, 'a')).value();
    engine::StartDecision refused = engine::DecideStart(engine::ParseCommandLine(u"setup.exe /quiet"), facts);
    EXPECT_EQ(refused.exitCode, engine::kExitFailed);
    ASSERT_TRUE(refused.report);
    EXPECT_EQ(
        refused.report->logText,
        u"64-bit Windows needs the x64 program, which was not started because it is signed with another "
        u"certificate (SHA-256 " +
            std::u16string(64, u'b') + u", expected " + std::u16string(64, u'a') + u"): D:\\tamrin64.exe");
    EXPECT_NE(refused.report->boxText.find(u"不是用本程序发布者的证书签名的"), std::u16string::npos);

    facts.handOver = HandedOver(HandOverOutcome::Finished, 3010);
    facts.handOver.signature = engine::SignatureFinding::ChainNotTrusted;
    facts.handOver.check.trust = platform::kCertEExpired;
    engine::StartDecision ran = engine::DecideStart(engine::ParseCommandLine(u"setup.exe /quiet"), facts);
    EXPECT_EQ(ran.exitCode, 3010u);
    EXPECT_EQ(ran.action, StartAction::End);
    EXPECT_FALSE(ran.report);
    EXPECT_TRUE(ran.writesLog);
    ASSERT_EQ(ran.notes.size(), 1u);
    EXPECT_EQ(ran.notes[0].error, platform::kCertEExpired);
    EXPECT_NE(ran.notes[0].text.find(u"certificate chain is not trusted"), std::u16string::npos);
}

}  // namespace
