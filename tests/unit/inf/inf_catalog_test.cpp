// The catalog file a driver INF names in [Version] ("INF Version Section": CatalogFile,
// with the platform extensions .NTamd64, .NTx86 and .NT tried before the undecorated
// entry), and whether it is beside the INF; INF files are "ASCII or Unicode (UTF-16)".
#include "engine/inf/inf_catalog.h"

#include "engine/inf/inf_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/text_convert.h"

namespace {

// The INF's text as a file holds it: UTF-16LE after its byte-order mark.
std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

using State = engine::InfCatalog::State;

TEST(InfCatalog, TheEntryWindowsReadsForTheArchitecture) {
    const struct {
        const char16_t* inf;
        const char16_t* decoration;
        const char16_t* catalog;  // nullptr: names none
    } table[] = {
        {u"[Version]\nCatalogFile=a.cat\n", u"NTamd64", u"a.cat"},
        {u"[Version]\nCatalogFile=a.cat\nCatalogFile.NT=nt.cat\n", u"NTamd64", u"nt.cat"},
        {u"[Version]\nCatalogFile.NTx86=x86.cat\nCatalogFile.NT=nt.cat\nCatalogFile.NTamd64=amd64.cat\n",
         u"NTamd64", u"amd64.cat"},
        {u"[Version]\nCatalogFile.NTx86=x86.cat\nCatalogFile.NT=nt.cat\nCatalogFile.NTamd64=amd64.cat\n",
         u"NTx86", u"x86.cat"},
        {u"[Version]\nCatalogFile.NTx86=x86.cat\n", u"NTamd64", nullptr},
        // Section and key names without regard to case; blanks, quotes and comments.
        {u"  [version]  \r\n  catalogfile.ntAMD64 = \"k v.cat\" ; signed\r\n", u"NTamd64", u"k v.cat"},
        {u"[Version]\nCatalogFile=\"semi;colon.cat\"\n", u"NTamd64", u"semi;colon.cat"},
        {u"[Version]\n;CatalogFile=a.cat\n", u"NTamd64", nullptr},
        {u"[Version]\nCatalogFile=\n", u"NTamd64", nullptr},
        // Only [Version] counts, in as many parts as the INF has; the first entry of a key.
        {u"[Strings]\nCatalogFile=a.cat\n[Version]\nSignature=\"$Windows NT$\"\n", u"NTamd64", nullptr},
        {u"[Version]\nClass=Printer\n[Strings]\nx=1\n[Version]\nCatalogFile=late.cat\nCatalogFile=later."
         u"cat\n",
         u"NTamd64", u"late.cat"},
        {u"", u"NTamd64", nullptr},
    };
    for (const auto& row : table) {
        std::optional<std::u16string> catalog =
            engine::CatalogFileInInf(Utf16File(row.inf), row.decoration, 0);
        if (row.catalog) {
            EXPECT_EQ(catalog, std::optional<std::u16string>(row.catalog)) << Utf8(row.inf);
        } else {
            EXPECT_EQ(catalog, std::nullopt) << Utf8(row.inf);
        }
    }
}

// "INF Strings Section": one Strings section answers for every token, chosen by the locale
// assigned to the computer (Wine's parser reads [Strings] alone: these rows stand for Windows).
TEST(InfCatalog, TokensFromTheStringsSectionOfTheSystemsLocale) {
    const struct { const char16_t* strings; platform::LangId language; const char16_t* catalog; } table[] = {
        // The exact LANGID, else SUBLANG_NEUTRAL, else the first other sublanguage, else [Strings].
        {u"[Strings]\nC=en\n[Strings.0004]\nC=zh\n[Strings.0804]\nC=cn\n[Strings.0404]\nC=tw", 0x0804, u"cn"},
        {u"[Strings]\nC=en\n[Strings.0404]\nC=tw\n[Strings.0004]\nC=zh", 0x0804, u"zh"},
        {u"[Strings]\nC=en\n[Strings.0409]\nC=us\n[Strings.0c04]\nC=hk\n[Strings.0404]\nC=tw", 0x0804, u"hk"},
        {u"[Strings.0409]\nC=us\n[Strings.804]\nC=no\n[Strings]\nC=en\n[Strings.x804]\nC=no", 0x0804, u"en"},
        {u"[Strings]\nC=en\n[Strings.0804]\nC=cn", 0, u"en"},  // no locale known
        {u"[Strings.0409]\nC=us", 0x0804, u"%C%"},                // none
        // Only the chosen section, in as many parts as the file has.
        {u"[Strings]\nC=en\n[Strings.0804]\nX=x", 0x0804, u"%C%"},
        {u"[strings.0c04]\nX=x\n[Strings]\nC=en\n[STRINGS.0C04]\nC=hk", 0x0C04, u"hk"},
    };
    for (const auto& row : table) {
        const std::u16string inf = u"[Version]\nCatalogFile=%C%\n" + std::u16string(row.strings);
        EXPECT_EQ(engine::CatalogFileInInf(Utf16File(inf), u"NTamd64", row.language),
                  std::optional<std::u16string>(row.catalog))
            << Utf8(row.strings);
    }
}

TEST(InfCatalog, TheCatalogBesideTheInfInEitherEncoding) {
    TempDir dir;
    const std::u16string inf = dir.ProgramDir() + u"PrinterDriver\\24pin\\OEMPRINT.INF";
    EXPECT_EQ(engine::CheckInfCatalog(inf.c_str(), u"NTamd64", 0).state, State::Unreadable);

    const std::string version = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
    dir.Write("PrinterDriver/24pin/OEMPRINT.INF", version);
    EXPECT_EQ(engine::CheckInfCatalog(inf.c_str(), u"NTamd64", 0).state, State::NamesNone);

    for (const std::string& bytes :
         {version + "CatalogFile=korvel.cat\r\n", Utf16LeWithBom(version + "CatalogFile=korvel.cat\r\n")}) {
        dir.Write("PrinterDriver/24pin/OEMPRINT.INF", bytes);
        std::filesystem::remove(dir.path() / "PrinterDriver/24pin/korvel.cat");
        engine::InfCatalog missing = engine::CheckInfCatalog(inf.c_str(), u"NTamd64", 0);
        EXPECT_EQ(missing.state, State::Missing);
        EXPECT_EQ(missing.path, dir.ProgramDir() + u"PrinterDriver\\24pin\\korvel.cat");
        dir.Write("PrinterDriver/24pin/korvel.cat", "catalog");
        EXPECT_EQ(engine::CheckInfCatalog(inf.c_str(), u"NTamd64", 0).state, State::Present);
    }

    // Larger than any INF: not read at all.
    std::string large = version;
    large.resize(engine::kMaxInfBytes + 1, ' ');
    dir.Write("PrinterDriver/24pin/OEMPRINT.INF", large);
    EXPECT_EQ(engine::CheckInfCatalog(inf.c_str(), u"NTamd64", 0).state, State::Unreadable);
}

}  // namespace
