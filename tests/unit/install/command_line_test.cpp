// The bounded formatter of the rundll32 command lines: the buffer's last character, and
// placeholders and values that do not match.
#include <gtest/gtest.h>

#include <string>

#include "engine/install/command_line.h"
#include "engine/limits.h"

namespace {

TEST(CommandLine, TheLineMayFillItsBufferButNotOverflowIt) {
    // "[" + value + "]" with the value sized to end exactly at the buffer's last character.
    const std::u16string fits(kCommandLineCapacity - 1 - 2, u'v');
    auto line = engine::FormatCommandLine(u"[%s]", {fits.c_str()});
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->size(), kCommandLineCapacity - 1);

    const std::u16string tooLong = fits + u"v";
    EXPECT_FALSE(engine::FormatCommandLine(u"[%s]", {tooLong.c_str()}).has_value());
    // The fixed text alone can overflow too.
    const std::u16string longFormat(kCommandLineCapacity, u'f');
    EXPECT_FALSE(engine::FormatCommandLine(longFormat.c_str(), {}).has_value());
}

TEST(CommandLine, PlaceholdersAndValuesMustPairUp) {
    EXPECT_FALSE(engine::FormatCommandLine(u"%s %s", {u"a"}).has_value());
    EXPECT_FALSE(engine::FormatCommandLine(u"%s", {u"a", u"b"}).has_value());
    EXPECT_EQ(engine::FormatCommandLine(u"100% %s", {u"x"}).value_or(u"?"), u"100% x");
    EXPECT_EQ(engine::FormatCommandLine(u"%s", {u""}).value_or(u"?"), u"");
}

TEST(CommandLine, ValuesThatWouldLeaveTheirQuotes) {
    EXPECT_FALSE(engine::SetDefaultPrinterLine(u"\\").has_value());
    EXPECT_EQ(engine::TestPageLine(u"Alpha").value_or(u"?"), u"PRINTUI.DLL,PrintUIEntry /k /q /n \"Alpha\"");
}

}  // namespace
