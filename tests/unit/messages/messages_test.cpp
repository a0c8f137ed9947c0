// What the program says, in the user's language: Chinese where Windows draws its own
// texts in Chinese of any region (GetUserDefaultUILanguage's primary language
// LANG_CHINESE), English elsewhere; every English text as complete as the Chinese one.
#include "engine/messages/messages.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/text_convert.h"

namespace {

using engine::Language;

TEST(Messages, ChineseOfEveryRegionShowsChineseAndEveryOtherLanguageEnglish) {
    const struct {
        std::uint16_t uiLanguage;
        Language language;
    } rows[] = {
        {0x0804, Language::Chinese},  // Simplified, PRC
        {0x1004, Language::Chinese},  // Simplified, Singapore
        {0x0404, Language::Chinese},  // Traditional, Taiwan
        {0x0C04, Language::Chinese},  // Traditional, Hong Kong SAR
        {0x1404, Language::Chinese},  // Traditional, Macao SAR
        {0x7C04, Language::Chinese},  // Traditional, neutral
        {0x0409, Language::English},  {0x0809, Language::English},
        {0x0411, Language::English},  // Japanese
        {0x0412, Language::English},  // Korean
        {0x0407, Language::English},  {0x0000, Language::English},
    };
    for (const auto& row : rows) EXPECT_EQ(engine::LanguageOfUi(row.uiLanguage), row.language) << row.uiLanguage;
}

// Each English text says what its Chinese one says: no Chinese character left, and the
// same placeholders, so that no value a user needs is lost in translation.
TEST(Messages, EveryEnglishTextIsWholeAndNamesTheSameValues) {
    const std::vector<std::u16string> values = {u"<1>", u"<2>", u"<3>", u"<4>", u"<5>"};
    for (int i = 0; i < static_cast<int>(engine::MessageId::Count); ++i) {
        const engine::Message message(static_cast<engine::MessageId>(i), values);
        const std::u16string chinese = engine::ShownText(message, Language::Chinese);
        const std::u16string english = engine::ShownText(message, Language::English);
        for (char16_t c : english) EXPECT_FALSE(c >= 0x3000 && c <= 0x9FFF) << i << ": " << Utf8(english.c_str());
        for (const std::u16string& value : values) {
            EXPECT_EQ(chinese.find(value) == std::u16string::npos, english.find(value) == std::u16string::npos)
                << i << " " << Utf8(value.c_str()) << ": " << Utf8(english.c_str());
        }
    }
}

}  // namespace
