// The GBK decoder on its own, and the portable code page converter that uses it: 8-bit
// text is never taken for a byte-order mark.
#include "platform/portable/gbk.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/codepage.h"
#include "platform/services.h"

namespace {

TEST(Gbk, BytesThatLookLikeAByteOrderMarkAreGbkText) {
    EXPECT_EQ(platform::DecodeGbk("\xEF\xBB\xBF"), u"\u9518?") << "UTF-8 mark: a pair and a lone lead byte";
    EXPECT_EQ(platform::DecodeGbk("\xFF\xFE"), u"\uF8F5?");
    EXPECT_EQ(platform::DecodeGbk("\xFE\xFF"), u"?") << "0xFF is no trail byte; the pair is one unknown";
    EXPECT_EQ(platform::DecodeGbk(""), u"");
}

#ifndef _WIN32
TEST(PortableCodePage, ConvertsEveryLeadingByteAsGbk) {
    platform::CodePage& codePage = platform::Default<platform::CodePage>();
    char16_t out[8] = {};
    EXPECT_EQ(codePage.MultiByteToWideChar(936, 0, "\xEF\xBB\xBF", -1, nullptr, 0), 3);
    ASSERT_EQ(codePage.MultiByteToWideChar(936, 0, "\xEF\xBB\xBF", -1, out, 8), 3);
    EXPECT_EQ(std::u16string(out, 3), std::u16string(u"\u9518?\0", 3)) << "the terminator is converted too";
    ASSERT_EQ(codePage.MultiByteToWideChar(platform::kThreadAnsiCodePage, 0, "\xFF\xFE", 2, out, 8), 2);
    EXPECT_EQ(std::u16string(out, 2), u"\uF8F5?");
    EXPECT_EQ(codePage.MultiByteToWideChar(936, 0, "\xFF\xFE", 2, out, 1), 0) << "does not fit";
}
#endif

}  // namespace
