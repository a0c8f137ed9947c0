// A damaged or incomplete medium is named before anything changes: the catalogue missing,
// unreadable, junk or without models; a model without its name, print head or INF, or
// with a name that cannot be installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/medium/medium_check.h"
#include "engine/medium/preparation.h"
#include "tests/support/fake_processes.h"
#include "tests/support/temp_dir.h"

namespace {

using engine::CatalogueProblem;
using engine::ModelProblem;

const char kGoodCatalogue[] =
    "[PRINTER_SERIES]\nKV系列\n"
    "[KV系列]\nKV-100\nKV-200\nKV-300\nKV-400\n"
    "[PRINTER_NAME]\nKV-100=Korvel KV-100\nKV-200=Korvel KV-200\nKV-300=Korvel KV-300\n"
    "KV-400=Korvel KV-400\n"
    "[PRINTER_TYPE]\nKorvel KV-100=24\nKorvel KV-200=9\nKorvel KV-300=12\n";

class MediumCheck : public testing::Test {
protected:
    TempDir dir;
    engine::Catalogue catalogue{dir.ProgramDir() + u"PrinterInfor.Inf"};

    void WriteCatalogue(const std::string& utf8) { dir.Write("PrinterInfor.Inf", Utf16LeWithBom(utf8)); }
    engine::MediumFiles medium{dir.ProgramDir(), dir.ProgramDir() + u"PrinterInfor.Inf"};
    engine::Preparation Prepare(const char16_t* entry, const engine::InstallChoices& choices) {
        return engine::PrepareEntry(medium, entry, choices, {});
    }
};

TEST_F(MediumCheck, TheCatalogueMissingUnreadableOrWithoutModels) {
    EXPECT_EQ(engine::CheckCatalogue(catalogue), CatalogueProblem::Missing);

    std::filesystem::create_directory(dir.path() / "PrinterInfor.Inf");
    EXPECT_EQ(engine::CheckCatalogue(catalogue), CatalogueProblem::Unreadable);
    std::filesystem::remove(dir.path() / "PrinterInfor.Inf");

    std::string junk;
    for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 7919 + 13) & 0xFF));
    dir.Write("PrinterInfor.Inf", junk);
    EXPECT_EQ(engine::CheckCatalogue(catalogue), CatalogueProblem::NoModels);

    WriteCatalogue("[PRINTER_SERIES]\nKV系列\n[KV系列]\n[KP系列]\nKP-80\n");
    EXPECT_EQ(engine::CheckCatalogue(catalogue), CatalogueProblem::NoModels) << "an empty main series";
    dir.Write("PrinterInfor.Inf", "");
    EXPECT_EQ(engine::CheckCatalogue(catalogue), CatalogueProblem::NoModels);

    WriteCatalogue(kGoodCatalogue);
    EXPECT_EQ(engine::CheckCatalogue(catalogue), CatalogueProblem::None);
}

// One preparation reads the entry once and gives the whole request, or the first thing
// that keeps the medium from serving the model.
TEST_F(MediumCheck, APreparedModelOrWhatKeepsItFromInstalling) {
    std::string catalogue = kGoodCatalogue;
    catalogue.insert(catalogue.find("[PRINTER_TYPE]"), "KV-500=Korvel \"KV\"\nKV-600=" + std::string(200, 'N') +
                                                           "\nKV-700=" + std::string(199, 'N') +
                                                           "\nKV-800=\\\\server\\KV\nKV-900=Korvel,KV\n");
    WriteCatalogue(catalogue);
    dir.Write("PrinterDriver/24pin/OEMPRINT.INF", "[Version]\n");
    const std::u16string folder = dir.ProgramDir();
    engine::InstallChoices choices;
    choices.port = u"USB001";
    choices.makeDefault = false;
    choices.quiet = true;

    engine::Preparation ok = Prepare(u"KV-100", choices);
    EXPECT_EQ(ok.problem, ModelProblem::None);
    EXPECT_EQ(ok.request.printerName, u"Korvel KV-100");
    EXPECT_EQ(ok.request.printHead, engine::PrintHead::Pins24);
    EXPECT_EQ(ok.request.driverInf, folder + u"PrinterDriver\\24pin\\OEMPRINT.INF");
    EXPECT_EQ(ok.request.catalogueFile, folder + u"PrinterInfor.Inf");
    EXPECT_EQ(ok.request.port, u"USB001");
    EXPECT_FALSE(ok.request.makeDefault);
    EXPECT_TRUE(ok.request.quiet);

    const struct {
        const char16_t* entry;
        ModelProblem problem;
        const char* why;
    } table[] = {
        {u"KV-999", ModelProblem::NoPrinterName, "not in the catalogue"},
        {u"", ModelProblem::NoPrinterName, "no entry"},
        {u"KV-500", ModelProblem::NameUnusable, "a name that would leave its quotes"},
        {u"KV-600", ModelProblem::NameUnusable, "a name of 200 characters does not fit its field"},
        {u"KV-700", ModelProblem::NoPrintHead, "199 characters fit; it has no PRINTER_TYPE"},
        // The spooler's separators: "\\server\KV" would open a printer on another machine.
        {u"KV-800", ModelProblem::NameUnusable, "a name holding a backslash"},
        {u"KV-900", ModelProblem::NameUnusable, "a name holding a comma"},
        {u"KV-300", ModelProblem::NoPrintHead, "12 is no print head"},
        {u"KV-400", ModelProblem::NoPrintHead, "no PRINTER_TYPE entry"},
        {u"KV-200", ModelProblem::DriverMissing, "no 9-pin driver on the medium"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(Prepare(row.entry, choices).problem, row.problem) << row.why;
    }
    EXPECT_EQ(Prepare(u"KV-200", choices).request.driverInf, folder + u"PrinterDriver\\9pin\\OEMPRINT.INF");

    // The same for the printer name the finish page holds.
    EXPECT_EQ(engine::PreparePrinter(medium, u"Korvel KV-100", choices, {}).problem, ModelProblem::None);
    EXPECT_EQ(engine::PreparePrinter(medium, u"", choices, {}).problem, ModelProblem::NoPrinterName);

    // A package without the catalog its INF names is incomplete; the catalog is named.
    dir.Write("PrinterDriver/24pin/OEMPRINT.INF", "[Version]\nCatalogFile.NT=korvel.cat\n");
    engine::Preparation incomplete = Prepare(u"KV-100", choices);
    EXPECT_EQ(incomplete.problem, ModelProblem::PackageIncomplete);
    EXPECT_EQ(incomplete.request.driverCatalog, folder + u"PrinterDriver\\24pin\\korvel.cat");
    dir.Write("PrinterDriver/24pin/korvel.cat", "catalog");
    EXPECT_EQ(Prepare(u"KV-100", choices).problem, ModelProblem::None);

    // ARM64 Windows installs from an INF's NTarm64 models section alone ("INF Manufacturer
    // Section"): a medium without one is named before anything changes.
    FakeProcesses arm64;
    arm64.wow64Process2 = {{0, 0xAA64}};
    dir.Write("PrinterDriver/24pin/OEMPRINT.INF", "[Manufacturer]\n%K%=K,NTamd64\n[Strings]\nK=Korvel\n");
    EXPECT_EQ(Prepare(u"KV-100", choices).problem, ModelProblem::NoArm64Driver);
    dir.Write("PrinterDriver/24pin/OEMPRINT.INF", "[Manufacturer]\n%K%=K,NTamd64,NTarm64\n[Strings]\nK=Korvel\n");
    EXPECT_EQ(Prepare(u"KV-100", choices).problem, ModelProblem::None);

    std::filesystem::remove_all(dir.path() / "PrinterDriver");
    EXPECT_EQ(engine::PreparePrinter(medium, u"Korvel KV-100", choices, {}).problem, ModelProblem::DriverMissing);
}

}  // namespace
