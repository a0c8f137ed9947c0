// The catalogue's lists and look-ups, read from real files through the build's profile
// reader (the portable reader on the host, the system's under Wine).
#include <gtest/gtest.h>

#include <string>

#include "engine/printer_installer.h"
#include "platform/text.h"
#include "tests/support/fake_module.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kCatalogue =
    "[PRINTER_SERIES]\r\nKV系列\r\nB\r\n"
    "[KV系列]\r\nM1\r\nM2\r\n"
    "[B]\r\nM2\r\nM3\r\n";

class Catalogue : public testing::Test {
protected:
    TempDir dir;
    FakeModule module{dir.ProgramDir() + u"setup.exe"};

    void Write(const std::string& utf8) { dir.Write("PrinterInfor.Inf", Utf16LeWithBom(utf8)); }
    void WriteBytes(const std::string& bytes) { dir.Write("PrinterInfor.Inf", bytes); }

    std::pair<int, std::u16string> SeriesOf(const char16_t* model) {
        CPrinterInstaller installer;
        char16_t series[kNameCapacity] = u"untouched";
        int found = installer.FindSeriesOfModel(series, kNameCapacity, model);
        return {found, series};
    }
};

StringList L(std::initializer_list<const char16_t*> items) { return StringList(items.begin(), items.end()); }

}  // namespace

TEST_F(Catalogue, SeriesModelsAppendInFileOrder) {
    Write(kCatalogue);
    CPrinterInstaller installer;
    StringList list = {u"kept"};
    EXPECT_EQ(installer.GetSeriesModels(kMainSeries, list), 1);
    EXPECT_EQ(list, L({u"kept", u"M1", u"M2"}));

    StringList series;
    EXPECT_EQ(installer.GetSeriesList(series), 1);
    EXPECT_EQ(series, L({kMainSeries, u"B"}));

    StringList none = {u"kept"};
    EXPECT_EQ(installer.GetSeriesModels(u"Absent", none), 0);
    EXPECT_EQ(none, L({u"kept"}));
}

TEST_F(Catalogue, FindSeriesOfModel) {
    Write(kCatalogue);
    EXPECT_EQ(SeriesOf(u"M2"), std::make_pair(1, std::u16string(kMainSeries))) << "the first series wins";
    EXPECT_EQ(SeriesOf(u"M3"), std::make_pair(1, std::u16string(u"B")));
    EXPECT_EQ(SeriesOf(u"m1"), std::make_pair(0, std::u16string(u"untouched"))) << "models compare with case";
    EXPECT_EQ(SeriesOf(u""), std::make_pair(0, std::u16string(u"untouched")));
}

TEST_F(Catalogue, IsSeriesModelLooksOnlyAtTheMainSeries) {
    Write(kCatalogue);
    CPrinterInstaller installer;
    EXPECT_EQ(installer.IsSeriesModel(u"M1"), 1);
    EXPECT_EQ(installer.IsSeriesModel(u"M3"), 0);
    EXPECT_EQ(installer.IsSeriesModel(u"M"), 0);
    EXPECT_EQ(installer.IsSeriesModel(u""), 0);
}

TEST_F(Catalogue, SeriesWithoutSectionDoesNotStopTheSearch) {
    Write("[PRINTER_SERIES]\nGhost\nB\n[B]\nM3\n");
    EXPECT_EQ(SeriesOf(u"M3"), std::make_pair(1, std::u16string(u"B")));
}

TEST_F(Catalogue, WithoutSeriesListNothingIsFound) {
    Write("[KV系列]\nM1\n");
    EXPECT_EQ(SeriesOf(u"M1").first, 0);
    CPrinterInstaller installer;
    EXPECT_EQ(installer.IsSeriesModel(u"M1"), 1);
}

TEST_F(Catalogue, MissingCatalogue) {
    CPrinterInstaller installer;
    StringList list;
    EXPECT_EQ(installer.GetSeriesList(list), 0);
    EXPECT_EQ(installer.GetSeriesModels(kMainSeries, list), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(installer.IsSeriesModel(u"M1"), 0);
    EXPECT_EQ(SeriesOf(u"M1").first, 0);
}

TEST_F(Catalogue, ChineseSeriesNameInEveryEncoding) {
    const std::string gbk = "[PRINTER_SERIES]\r\nKV\xCF\xB5\xC1\xD0\r\n[KV\xCF\xB5\xC1\xD0]\r\nM1\r\n";
    for (const std::string& bytes : {Utf16LeWithBom(kCatalogue), "\xEF\xBB\xBF" + kCatalogue, gbk}) {
        WriteBytes(bytes);
        CPrinterInstaller installer;
        EXPECT_EQ(installer.IsSeriesModel(u"M1"), 1);
        EXPECT_EQ(SeriesOf(u"M1"), std::make_pair(1, std::u16string(kMainSeries)));
    }
}

TEST_F(Catalogue, LongLinesNeverSpillIntoOtherEntries) {
    const std::string line255(255, 'a'), line256(256, 'b'), line300(300, 'c');
    Write("[KV系列]\nM1\n" + line255 + "\n" + line256 + "\n" + line300 + "\nM2\n");
    CPrinterInstaller installer;
    StringList list;
    ASSERT_EQ(installer.GetSeriesModels(kMainSeries, list), 1);
    // A line of 255 characters fits; longer ones are left out whole, not cut into a new name.
    EXPECT_EQ(list, (StringList{u"M1", text::FromUtf8(line255), u"M2"}));
    EXPECT_EQ(installer.IsSeriesModel(text::FromUtf8(line256.substr(0, 255)).c_str()), 0);
    EXPECT_EQ(installer.IsSeriesModel(text::FromUtf8(line255).c_str()), 1);
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
    for (auto [tail, expected] : {std::pair{10, 1}, std::pair{11, 0}, std::pair{12, 0}}) {
        Write(section(185, tail));  // totals 2045, 2046, 2047
        CPrinterInstaller installer;
        StringList list;
        EXPECT_EQ(installer.GetSeriesModels(kMainSeries, list), expected) << "section of " << 2035 + tail;
        EXPECT_EQ(list.empty(), expected == 0);
    }
    // A section that did not fit is still searched as far as whole lines came.
    Write(section(300, 0));
    CPrinterInstaller installer;
    EXPECT_EQ(installer.IsSeriesModel(u"M000000000"), 1);
    EXPECT_EQ(installer.IsSeriesModel(u"M000000100"), 1);
    EXPECT_EQ(installer.IsSeriesModel(u"M000000299"), 0);
}
