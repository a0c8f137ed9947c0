// The command line split as Windows splits it: "CommandLineToArgvW function (shellapi.h)"
// for the program name, the backslash rules and leading blanks, and "Parsing C
// command-line arguments" (Microsoft C/C++ documentation) for two quotes inside a quoted
// part, as its table shows them: a"b"" c d gives ab", c and d.
#include "engine/run/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/text_convert.h"

namespace {

using Args = std::vector<std::u16string>;

struct Case {
    const char16_t* line;
    Args expected;
};

std::string Show(const Args& args) {
    std::string out;
    for (const auto& a : args) out += "[" + text::ToUtf8(a) + "]";
    return out;
}

void ExpectSplits(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        Args got = engine::SplitCommandLine(c.line);
        EXPECT_EQ(got, c.expected) << "line: " << Utf8(c.line) << "\n got: " << Show(got)
                                   << "\n want: " << Show(c.expected);
    }
}

TEST(SplitCommandLine, TheProgramNameEndsAtItsClosingQuoteOrAtABlank) {
    ExpectSplits({
        {u"", {u""}},
        {u"tamrin64.exe", {u"tamrin64.exe"}},
        {u"\"C:\\My Media\\tamrin64.exe\" /quiet", {u"C:\\My Media\\tamrin64.exe", u"/quiet"}},
        {u"C:\\Media\\tamrin64.exe\t/quiet", {u"C:\\Media\\tamrin64.exe", u"/quiet"}},
        // Nothing is special inside the name: backslashes stay, the first quote closes it,
        // and what follows the closing quote starts the first argument.
        {u"\"C:\\Media\\\" /quiet", {u"C:\\Media\\", u"/quiet"}},
        {u"\"a\"b c", {u"a", u"b", u"c"}},
        {u"a\\\"b c", {u"a\\\"b", u"c"}},
        {u"\"unclosed name /quiet", {u"unclosed name /quiet"}},
        {u"\"\" /quiet", {u"", u"/quiet"}},
        // A leading blank makes the program name empty.
        {u" /quiet", {u"", u"/quiet"}},
        {u"p   ", {u"p"}},
    });
}

TEST(SplitCommandLine, BlanksSeparateAndQuotesGroup) {
    ExpectSplits({
        {u"p a  b\t\tc", {u"p", u"a", u"b", u"c"}},
        {u"p \"a b\" c", {u"p", u"a b", u"c"}},
        {u"p /model \"KV 100\" /port USB001", {u"p", u"/model", u"KV 100", u"/port", u"USB001"}},
        {u"p a\"b c\"d e", {u"p", u"ab cd", u"e"}},
        {u"p \"\" x", {u"p", u"", u"x"}},
        {u"p \"\"", {u"p", u""}},
        {u"p \"a\tb\"", {u"p", u"a\tb"}},
        // The line ends inside quotes: the last argument ends with it.
        {u"p \"a b", {u"p", u"a b"}},
        {u"p \"", {u"p", u""}},
    });
}

TEST(SplitCommandLine, BackslashesCountOnlyBeforeAQuote) {
    ExpectSplits({
        {u"p C:\\Temp\\log.txt", {u"p", u"C:\\Temp\\log.txt"}},
        {u"p a\\\\b", {u"p", u"a\\\\b"}},
        {u"p a\\", {u"p", u"a\\"}},
        // 2n backslashes: n of them, and the quote opens or closes.
        {u"p \"C:\\Temp\\\\\" x", {u"p", u"C:\\Temp\\", u"x"}},
        {u"p a\\\\\\\\\"b c\" d", {u"p", u"a\\\\b c", u"d"}},
        // 2n + 1: n of them and a literal quote; quoting does not change.
        {u"p \"ab\\\"c\" \"\\\\\" d", {u"p", u"ab\"c", u"\\", u"d"}},
        {u"p a\\\\\\\"b c", {u"p", u"a\\\"b", u"c"}},
        {u"p \\\"", {u"p", u"\""}},
        // The classic mistake: a quoted folder with its final backslash swallows the rest.
        {u"p \"C:\\Temp\\\" /quiet", {u"p", u"C:\\Temp\" /quiet"}},
        // The documentation's own row: backslashes not before a quote are literal.
        {u"p a\\\\\\b d\"e f\"g h", {u"p", u"a\\\\\\b", u"de fg", u"h"}},
    });
}

TEST(SplitCommandLine, TwoQuotesInsideAQuotedPartGiveOneAndEndIt) {
    ExpectSplits({
        {u"p a\"b\"\" c d", {u"p", u"ab\"", u"c", u"d"}},
        {u"p \"a\"\"b\"", {u"p", u"a\"b"}},
        {u"p \"\"\"\"", {u"p", u"\""}},
        {u"p \"\"\"a b\"", {u"p", u"\"a", u"b"}},
        // Outside quotes, two quotes open and close an empty part.
        {u"p a\"\"b", {u"p", u"ab"}},
        {u"p \"\"\"\"\"\"", {u"p", u"\"\""}},
        // An escaped quote is not half of a pair.
        {u"p \"a\\\"\" b", {u"p", u"a\"", u"b"}},
    });
}

TEST(SplitCommandLine, TextOutsideAsciiPassesUnchanged) {
    ExpectSplits({
        {u"p /model \"KV系列 100\" /log C:\\日志\\x.log",
         {u"p", u"/model", u"KV系列 100", u"/log", u"C:\\日志\\x.log"}},
        // Only the blank and the tab separate; other spaces belong to the argument.
        {u"p a\u3000b a\u00A0b", {u"p", u"a\u3000b", u"a\u00A0b"}},
    });
}

}  // namespace
