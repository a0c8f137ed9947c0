// The catalogue's lists and look-ups, read from real files through the build's profile
// reader (the portable reader on the host, the system's under Wine).
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "engine/medium/catalogue.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kCatalogue =
    "[PRINTER_SERIES]\r\nKV系列\r\nB\r\n"
    "[KV系列]\r\nM1\r\nM2\r\n"
    "[B]\r\nM2\r\nM3\r\n";

class Catalogue : public testing::Test {
protected:
    TempDir dir;
    engine::Catalogue catalogue{dir.ProgramDir() + u"PrinterInfor.Inf"};

    void Write(const std::string& utf8) { dir.Write("PrinterInfor.Inf", Utf16LeWithBom(utf8)); }
    void WriteBytes(const std::string& bytes) { dir.Write("PrinterInfor.Inf", bytes); }

    std::optional<std::u16string> SeriesOf(const char16_t* model) const { return catalogue.SeriesOf(model); }
    bool Lists(const char16_t* model) const { return catalogue.ListsInMainSeries(model); }
};

StringList L(std::initializer_list<const char16_t*> items) { return StringList(items.begin(), items.end()); }

}  // namespace

TEST_F(Catalogue, SeriesModelsAppendInFileOrder) {
    Write(kCatalogue);
    EXPECT_EQ(catalogue.Lines(kMainSeries), L({u"M1", u"M2"}));
    EXPECT_EQ(catalogue.SeriesNames(), L({kMainSeries, u"B"}));
    EXPECT_EQ(catalogue.Lines(u"Absent"), std::nullopt);
}

TEST_F(Catalogue, FindSeriesOfModel) {
    Write(kCatalogue);
    EXPECT_EQ(SeriesOf(u"M2"), kMainSeries) << "the first series wins";
    EXPECT_EQ(SeriesOf(u"M3"), u"B");
    EXPECT_EQ(SeriesOf(u"m1"), std::nullopt) << "models compare with case";
    EXPECT_EQ(SeriesOf(u""), std::nullopt);
}

TEST_F(Catalogue, IsSeriesModelLooksOnlyAtTheMainSeries) {
    Write(kCatalogue);
    EXPECT_TRUE(Lists(u"M1"));
    EXPECT_FALSE(Lists(u"M3"));
    EXPECT_FALSE(Lists(u"M"));
    EXPECT_FALSE(Lists(u""));
}

TEST_F(Catalogue, SeriesWithoutSectionDoesNotStopTheSearch) {
    Write("[PRINTER_SERIES]\nGhost\nB\n[B]\nM3\n");
    EXPECT_EQ(SeriesOf(u"M3"), u"B");
}

TEST_F(Catalogue, WithoutSeriesListNothingIsFound) {
    Write("[KV系列]\nM1\n");
    EXPECT_EQ(SeriesOf(u"M1"), std::nullopt);
    EXPECT_TRUE(Lists(u"M1"));
}

TEST_F(Catalogue, MissingCatalogue) {
    EXPECT_EQ(catalogue.SeriesNames(), std::nullopt);
    EXPECT_EQ(catalogue.Lines(kMainSeries), std::nullopt);
    EXPECT_FALSE(Lists(u"M1"));
    EXPECT_EQ(SeriesOf(u"M1"), std::nullopt);
}

TEST_F(Catalogue, ChineseSeriesNameInEveryEncoding) {
    const std::string gbk = "[PRINTER_SERIES]\r\nKV\xCF\xB5\xC1\xD0\r\n[KV\xCF\xB5\xC1\xD0]\r\nM1\r\n";
    for (const std::string& bytes : {Utf16LeWithBom(kCatalogue), "\xEF\xBB\xBF" + kCatalogue, gbk}) {
        WriteBytes(bytes);
        EXPECT_TRUE(Lists(u"M1"));
        EXPECT_EQ(SeriesOf(u"M1"), kMainSeries);
    }
}

TEST_F(Catalogue, LongLinesNeverSpillIntoOtherEntries) {
    const std::string line255(255, 'a'), line256(256, 'b'), line300(300, 'c');
    Write("[KV系列]\nM1\n" + line255 + "\n" + line256 + "\n" + line300 + "\nM2\n");
    // A line of 255 characters fits; longer ones are left out whole, not cut into a new name.
    EXPECT_EQ(catalogue.Lines(kMainSeries), (StringList{u"M1", text::FromUtf8(line255), u"M2"}));
    EXPECT_FALSE(Lists(text::FromUtf8(line256.substr(0, 255)).c_str()));
    EXPECT_TRUE(Lists(text::FromUtf8(line255).c_str()));
}

TEST_F(Catalogue, SectionsAroundTheBufferSize) {
    // Each line of 10 characters takes 11 with its terminator.
    auto section = [](int lines, int tail) {
        std::string s = "[KV系列]\n";
        for (int i = 0; i < lines; ++i) {
            char line[16];
            std::snprintf(line, sizeof line, "M%09d", i);
            s += line;
            s += "\n";
        }
        if (tail > 0) s += std::string(static_cast<std::size_t>(tail - 1), 't') + "\n";
        return s;
    };
    // 185 lines of 11 make 2035; a last line of `tail` characters with its zero completes the total.
    for (auto [tail, read] : {std::pair{10, true}, std::pair{11, false}, std::pair{12, false}}) {
        Write(section(185, tail));  // totals 2045, 2046, 2047
        EXPECT_EQ(catalogue.Lines(kMainSeries).has_value(), read) << "section of " << 2035 + tail;
    }
    // A section that did not fit is still searched as far as whole lines came.
    Write(section(300, 0));
    EXPECT_TRUE(Lists(u"M000000000"));
    EXPECT_TRUE(Lists(u"M000000100"));
    EXPECT_FALSE(Lists(u"M000000299"));
}
