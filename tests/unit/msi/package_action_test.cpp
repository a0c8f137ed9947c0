// The installer package's actions: the data the package hands them, the program's command
// line as the program splits it again, and how the package ends after its exit code
// ("Custom Action Return Values": only success lets the package go on).
#include "msi/action/package_action.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/run/arguments.h"
#include "tests/support/fake_processes.h"
#include "tests/support/fake_shell.h"
#include "tests/support/text_convert.h"

namespace {

using Args = std::vector<std::u16string>;
using engine::PackageStep;
using platform::Dword;

constexpr char16_t kProgram[] = u"C:\\Program Files\\Korvel\\Printer Driver\\tamrin64.exe";

TEST(PackageAction, ActionDataHasExactlyEightFieldsJoinedByQuotes) {
    auto request = engine::ParseActionData(u"C:\\P D\\\"KV-100\"LPT1:\"1\"\"C:\\Logs\\t.log\"\"KV-200");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->folder, u"C:\\P D\\");
    EXPECT_EQ(request->model, u"KV-100");
    EXPECT_EQ(request->port, u"LPT1:");
    EXPECT_TRUE(request->noDefault);
    EXPECT_FALSE(request->testPage);
    EXPECT_EQ(request->log, u"C:\\Logs\\t.log");
    // The older model counts at an upgrade alone, and only when it is another one.
    EXPECT_FALSE(request->update);
    EXPECT_EQ(request->replacedModel, u"");
    EXPECT_EQ(engine::ParseActionData(u"F\"KV-100\"\"\"\"\"{OLD}\"KV-200")->replacedModel, u"KV-200");
    EXPECT_EQ(engine::ParseActionData(u"F\"KV-100\"\"\"\"\"{OLD}\"KV-100")->replacedModel, u"");
    // A folder without its closing backslash gets one.
    EXPECT_EQ(engine::ParseActionData(u"C:\\P\"M\"\"\"\"\"\"")->folder, u"C:\\P\\");
    // A value that held a quote adds a field; a missing property removes none.
    EXPECT_FALSE(engine::ParseActionData(u"C:\\P\\\"KV\"100\"\"\"\"\"\""));
    EXPECT_FALSE(engine::ParseActionData(u"C:\\P\\\"KV-100\"\"\"\"\""));
    EXPECT_FALSE(engine::ParseActionData(u""));
}

TEST(PackageAction, CommandLineCarriesEachSetPropertyAndReadsBackAsGiven) {
    struct Case {
        PackageStep step;
        const char16_t* data;
        Args arguments;
    };
    const Case cases[] = {
        {PackageStep::Install, u"F\\\"KV-100\"\"\"\"\"\"", {u"/quiet", u"/model", u"KV-100"}},
        {PackageStep::Install,
         u"F\\\"Korvel KV 1\"USB001\"1\"1\"C:\\Log Files\\\"\"",
         {u"/quiet", u"/model", u"Korvel KV 1", u"/port", u"USB001", u"/nodefault", u"/testpage", u"/log",
          u"C:\\Log Files\\"}},
        // An upgrade or a repair updates.
        {PackageStep::Install, u"F\\\"KV-100\"LPT1:\"\"\"\"1\"", {u"/quiet", u"/update", u"/model", u"KV-100", u"/port", u"LPT1:"}},
        // Removal takes the model and the log only.
        {PackageStep::Uninstall,
         u"F\\\"KV-100\"LPT1:\"1\"1\"x.log\"1\"",
         {u"/quiet", u"/uninstall", u"/model", u"KV-100", u"/log", u"x.log"}},
        // Backslashes that end a value stay, however many.
        {PackageStep::Install, u"F\\\"M\\\\\"\"\"\"\"\"", {u"/quiet", u"/model", u"M\\\\"}},
    };
    for (const Case& c : cases) {
        auto request = engine::ParseActionData(c.data);
        ASSERT_TRUE(request) << Utf8(c.data);
        Args split = engine::SplitCommandLine(engine::PackageCommandLine(kProgram, c.step, *request));
        Args expected{kProgram};
        expected.insert(expected.end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(split, expected) << Utf8(c.data);
    }
}

// A removal always goes on: one that rolled back would leave a product never removable.
TEST(PackageAction, OnlySuccessAndRestartLetAnInstallationGoOn) {
    EXPECT_EQ(engine::JudgeExitCode(0), engine::PackageVerdict::Success);
    EXPECT_EQ(engine::JudgeExitCode(3010), engine::PackageVerdict::RestartRequired);
    for (std::uint32_t failed : {1u, 1602u, 1603u, 1618u, 1639u, 0xC0000005u}) {
        EXPECT_EQ(engine::JudgeExitCode(failed), engine::PackageVerdict::Failed) << failed;
        EXPECT_EQ(engine::JudgeExitCode(failed, engine::PackageStep::Uninstall),
                  engine::PackageVerdict::RemovedLeavingPrinters);
        EXPECT_FALSE(engine::ExitCodeMeaning(failed).empty());
    }
}

TEST(PackageAction, LastLogLinesKeepsTheEndWithoutBlankLines) {
    EXPECT_EQ(engine::LastLogLines("a\r\nb\r\n\r\nc 打印机\r\n", 2), (Args{u"b", u"c 打印机"}));
    EXPECT_EQ(engine::LastLogLines("only", 5), (Args{u"only"}));
    EXPECT_EQ(engine::LastLogLines("\n\n", 5), Args{});
    EXPECT_EQ(engine::LastLogLines("", 5), Args{});
}

// The action waits for the program at most 10 minutes in all, asking again every 10 s
// while it answers 1618; one still running then is left running (WaitForSingleObject's
// WAIT_TIMEOUT).
TEST(PackageAction, TheProgramIsAskedAgainWhileAnotherSetupRunsWithinTenMinutes) {
    FakeProcesses processes;
    RecordingTiming timing;
    const struct {
        int busy;  // how many 1618 answers come before a 0
        Dword waitResult;
        int asked;
        std::uint32_t exitCode;
        bool stillRunning;
    } rows[] = {{0, 0, 0, 0, false}, {2, 0, 2, 0, false}, {1000, 0, 59, 1618, false}, {0, 0x102, 0, 0, true}};
    for (const auto& row : rows) {
        int starts = 0;
        processes.onStart = [&] { processes.exitCode = ++starts > row.busy ? 0 : 1618; };
        processes.waitResult = row.waitResult;
        processes.waits.clear();
        timing.now = 0;
        const engine::ActionRun action = engine::RunActionProgram(kProgram, kProgram);
        EXPECT_EQ(action.busyAnswers, row.asked) << row.busy;
        EXPECT_EQ(action.run.exitCode, row.exitCode) << row.busy;
        EXPECT_EQ(action.run.stillRunning, row.stillRunning);
        EXPECT_EQ(processes.waits.front(), 600000u) << "10 minutes in all";
        EXPECT_LE(timing.now, 600000u);
    }
}

}  // namespace
