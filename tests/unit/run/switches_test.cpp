// The switches of the unattended mode: what is taken, what is refused (always with exit
// code 1639 and a reason for the log), and which mode a command line means.
#include "engine/run/switches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/run/exit_codes.h"
#include "tests/support/text_convert.h"

namespace {

using engine::ParseCommandLine;
using engine::SetupMode;

TEST(Switches, NoArgumentsIsTheWizard) {
    for (const char16_t* line : {u"tamrin64.exe", u"\"C:\\M\\tamrin64.exe\"   ", u""}) {
        auto parsed = ParseCommandLine(line);
        ASSERT_TRUE(parsed.accepted) << Utf8(line);
        EXPECT_EQ(engine::ModeOf(parsed.options), SetupMode::Wizard);
    }
}

TEST(Switches, AFullQuietInstallation) {
    auto parsed = ParseCommandLine(
        u"p -QUIET /Model \"KV系列 100\" /port USB001 /NoDefault -testpage /log \"C:\\Logs\\setup.log\" "
        u"/WhatIf");
    ASSERT_TRUE(parsed.accepted) << Utf8(parsed.refusal.c_str());
    const auto& o = parsed.options;
    EXPECT_EQ(engine::ModeOf(o), SetupMode::Quiet);
    EXPECT_TRUE(o.quiet && o.noDefault && o.testPage && o.whatIf);
    EXPECT_FALSE(o.uninstall || o.help);
    EXPECT_EQ(o.model.value_or(u"?"), u"KV系列 100");
    EXPECT_EQ(o.port.value_or(u"?"), u"USB001");
    EXPECT_EQ(o.logFile.value_or(u"?"), u"C:\\Logs\\setup.log");
}

TEST(Switches, TheOtherAcceptedCombinations) {
    struct Case {
        const char16_t* line;
        SetupMode mode;
    };
    for (const Case& c : {
             Case{u"p /quiet", SetupMode::Quiet},
             Case{u"p /quiet /uninstall /model M", SetupMode::Quiet},
             Case{u"p /uninstall /model M /quiet /whatif /log x.log", SetupMode::Quiet},
             Case{u"p /log x.log", SetupMode::Wizard},
             Case{u"p /?", SetupMode::Usage},
             Case{u"p -HELP", SetupMode::Usage},
             Case{u"p /quiet /?", SetupMode::Usage},
         }) {
        auto parsed = ParseCommandLine(c.line);
        ASSERT_TRUE(parsed.accepted) << Utf8(c.line) << ": " << Utf8(parsed.refusal.c_str());
        EXPECT_EQ(engine::ModeOf(parsed.options), c.mode) << Utf8(c.line);
        EXPECT_EQ(parsed.exitCode, engine::kExitSuccess);
    }
}

TEST(Switches, RefusedCommandLinesSayWhy) {
    const std::u16string name199(199, u'n'), name200(200, u'n');
    const std::u16string path259 = u"C:\\" + std::u16string(256, u'l'), path260 = path259 + u"l";
    struct Case {
        std::u16string line;
        const char16_t* reason;  // a part of the reason
    };
    const std::vector<Case> cases = {
        {u"p /install", u"unknown switch \"/install\""},
        {u"p --quiet", u"unknown switch"},
        {u"p /quiet:yes", u"unknown switch"},
        {u"p /", u"unknown switch"},
        {u"p -", u"unknown switch"},
        {u"p setup", u"unexpected argument \"setup\""},
        {u"p \"\"", u"unexpected argument \"\""},
        {u"p /quiet /model", u"\"/model\" needs a value"},
        {u"p /quiet /model /port USB001", u"\"/model\" needs a value"},
        {u"p /quiet /port -x", u"\"/port\" needs a value"},
        {u"p /quiet /model \"\"", u"\"/model\" has an empty value"},
        {u"p /quiet /log", u"\"/log\" needs a value"},
        {u"p /quiet /QUIET", u"switch given twice: \"/QUIET\""},
        {u"p /quiet /model a /model b", u"switch given twice"},
        {u"p /? /help", u"switch given twice"},
        {u"p /quiet /model \"a\\\"b\"", u"/model value holds a double quote"},
        {u"p /quiet /port a\\\"b", u"/port value holds a double quote"},
        {u"p /log \"x\\\".log\"", u"/log value holds a double quote"},
        {u"p /quiet /model " + name200, u"/model value is too long (200 characters; at most 199)"},
        {u"p /quiet /port " + name200, u"/port value is too long"},
        {u"p /log " + path260, u"/log value is too long (260 characters; at most 259)"},
        {u"p /quiet /port \\\\server\\queue\\", u"/port value ends in a backslash"},
        {u"p /model M", u"/model needs /quiet"},
        {u"p /port USB001", u"/port needs /quiet"},
        {u"p /nodefault", u"/nodefault needs /quiet"},
        {u"p /testpage /log x", u"/testpage needs /quiet"},
        {u"p /uninstall /model M", u"/uninstall needs /quiet"},
        {u"p /whatif", u"/whatif needs /quiet"},
        {u"p /quiet /uninstall", u"/uninstall needs /model"},
        {u"p /quiet /uninstall /model M /port USB001", u"/uninstall cannot be combined with /port"},
        {u"p /quiet /uninstall /model M /nodefault", u"/uninstall cannot be combined with /nodefault"},
        {u"p /quiet /uninstall /model M /testpage", u"/uninstall cannot be combined with /testpage"},
        {u"p /? /log x.log", u"/? cannot be combined with /log"},
        {u"p /quiet /help /model M", u"/? cannot be combined with /model"},
    };
    for (const Case& c : cases) {
        auto parsed = ParseCommandLine(c.line);
        EXPECT_FALSE(parsed.accepted) << Utf8(c.line.c_str());
        EXPECT_EQ(parsed.exitCode, engine::kExitInvalidCommandLine) << Utf8(c.line.c_str());
        EXPECT_NE(parsed.refusal.find(c.reason), std::u16string::npos)
            << Utf8(c.line.c_str()) << "\n reason: " << Utf8(parsed.refusal.c_str())
            << "\n want: " << Utf8(c.reason);
    }

    // A refused line still says whether it asked for quiet: then no box may show the reason.
    EXPECT_TRUE(ParseCommandLine(u"p /bogus /QUIET").options.quiet);
    EXPECT_FALSE(ParseCommandLine(u"p /model M").options.quiet);

    // The longest values the name fields and the path buffer hold are taken.
    auto longest =
        ParseCommandLine(u"p /quiet /model " + name199 + u" /port " + name199 + u" /log " + path259);
    EXPECT_TRUE(longest.accepted) << Utf8(longest.refusal.c_str());
}

TEST(Switches, AnAbsurdArgumentIsCutInTheReason) {
    auto parsed = ParseCommandLine(u"p /" + std::u16string(100000, u'x'));
    EXPECT_FALSE(parsed.accepted);
    EXPECT_LT(parsed.refusal.size(), 100u);
}

TEST(Switches, TheUsageTextNamesEverySwitchAndExitCodeInBothLanguages) {
    for (auto language : {engine::Language::Chinese, engine::Language::English}) {
        const std::u16string usage = engine::UsageText(language);
        for (const char16_t* word :
             {u"/quiet", u"/model", u"/port", u"/nodefault", u"/testpage", u"/uninstall", u"/update", u"/log",
              u"/whatif", u"/?", u"/help", u"3010", u"1602", u"1603", u"1618", u"1639"}) {
            EXPECT_NE(usage.find(word), std::u16string::npos) << Utf8(word);
        }
    }
}

}  // namespace
