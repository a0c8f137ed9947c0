// The x86 program under WOW64 hands the run over to the x64 program beside it. Windows'
// behaviour stands behind the seam as its documentation gives it (IsWow64Process,
// CreateProcessW, GetExitCodeProcess and CommandLineToArgvW on Microsoft Learn).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/wow64_handover.h"
#include "platform/process.h"
#include "tests/support/fake_kernel_objects.h"

namespace {

using platform::Dword;

class FakeProcesses final : public platform::Processes, public KernelObjectsFake {
public:
    using Result = platform::Result<platform::Bool>;
    enum class Wow64 { Yes, No, NoSuchCall };
    Wow64 wow64 = Wow64::Yes;
    std::u16string commandLine = u"\"C:\\Media\\tamrin32.exe\"";
    bool programThere = true;
    Dword startError = 0;  // another reason a start fails
    Dword exitCode = 0;
    bool exitCodeReadable = true;

    std::vector<std::u16string> applications, commandLines;
    std::vector<Dword> waits;
    int open = 0;

    platform::Handle GetCurrentProcess() override { return kSelf; }
    Result IsWow64Process(platform::Handle process, platform::Bool* result) override {
        EXPECT_EQ(process, kSelf);
        if (wow64 == Wow64::NoSuchCall) return Fail(127);  // ERROR_PROC_NOT_FOUND
        *result = wow64 == Wow64::Yes;
        return {1};
    }
    const char16_t* GetCommandLineW() override { return commandLine.c_str(); }
    Result CreateProcessW(const char16_t* application, char16_t* line,
                          platform::ProcessInformation* information) override {
        applications.push_back(application ? application : u"(none)");
        commandLines.push_back(line);
        if (!programThere) return Fail(2);
        if (startError) return Fail(startError);
        information->process = kProcess;
        information->thread = kThread;
        open += 2;
        return {1};
    }
    Result GetExitCodeProcess(platform::Handle process, Dword* code) override {
        EXPECT_EQ(process, kProcess);
        if (!exitCodeReadable) return Fail(6);
        *code = exitCode;
        return {1};
    }

private:
    static inline platform::Handle const kSelf = reinterpret_cast<platform::Handle>(-1);
    static inline platform::Handle const kProcess = reinterpret_cast<platform::Handle>(0x40);
    static inline platform::Handle const kThread = reinterpret_cast<platform::Handle>(0x44);

    static Result Fail(Dword error) { return {0, error}; }
    bool GaveOut(platform::Handle h) const override { return h == kProcess || h == kThread; }
    Dword Wait(platform::Handle h, Dword milliseconds) override {
        EXPECT_EQ(h, kProcess);
        waits.push_back(milliseconds);
        return 0;
    }
    platform::Bool Close(platform::Handle) override {
        --open;
        return 1;
    }

    platform::ScopedService<platform::Processes> scope_{*this};
};

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
    engine::HandOver handOver = engine::HandOverToX64Program(u"C:\\Media\\");
    EXPECT_EQ(handOver.outcome, engine::HandOverOutcome::Finished);
    EXPECT_EQ(handOver.exitCode, 3010u);
    // By its full path as the application name: no search, so nothing else of that name runs.
    EXPECT_EQ(processes.applications, std::vector<std::u16string>{u"C:\\Media\\tamrin64.exe"});
    EXPECT_EQ(processes.commandLines,
              std::vector<std::u16string>{u"\"C:\\Media\\tamrin64.exe\" /quiet /model \"KV 100\""});
    EXPECT_EQ(processes.waits, std::vector<Dword>{platform::kInfinite});
    EXPECT_EQ(processes.open, 0) << "process and thread handles closed";

    processes.exitCodeReadable = false;
    EXPECT_EQ(engine::HandOverToX64Program(u"C:\\Media\\").exitCode, 1u);
}

TEST(Wow64HandOver, WithoutWow64NothingIsStarted) {
    FakeProcesses processes;
    for (auto wow64 : {FakeProcesses::Wow64::No, FakeProcesses::Wow64::NoSuchCall}) {
        processes.wow64 = wow64;
        EXPECT_FALSE(engine::RunsUnderWow64());
        EXPECT_EQ(engine::HandOverToX64Program(u"C:\\Media\\").outcome, engine::HandOverOutcome::NotNeeded);
    }
    EXPECT_TRUE(processes.applications.empty());
}

TEST(Wow64HandOver, AMissingOrUnstartableX64ProgramIsReportedNotWaitedFor) {
    FakeProcesses processes;
    processes.programThere = false;
    engine::HandOver missing = engine::HandOverToX64Program(u"D:\\");
    EXPECT_EQ(missing.outcome, engine::HandOverOutcome::ProgramMissing);
    EXPECT_EQ(missing.program, u"D:\\tamrin64.exe");
    EXPECT_EQ(missing.error, 2u);

    processes.programThere = true;
    processes.startError = 193;  // ERROR_BAD_EXE_FORMAT
    engine::HandOver failed = engine::HandOverToX64Program(u"D:\\");
    EXPECT_EQ(failed.outcome, engine::HandOverOutcome::StartFailed);
    EXPECT_EQ(failed.error, 193u);
    EXPECT_TRUE(processes.waits.empty());
    EXPECT_EQ(processes.open, 0);
}

}  // namespace
