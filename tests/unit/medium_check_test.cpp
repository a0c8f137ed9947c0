// A damaged or incomplete medium is named before anything changes: the catalogue missing,
// unreadable, junk or without models; a model without its name, print head or INF.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/medium_check.h"
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
    engine::ModelCheck Check(const char16_t* entry) {
        return engine::CheckModelEntry(catalogue, dir.ProgramDir(), entry);
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

TEST_F(MediumCheck, AModelWithoutItsNameHeadOrDriver) {
    WriteCatalogue(kGoodCatalogue);
    dir.Write("PrinterDriver/24pin/OEMPRINT.INF", "[Version]\n");

    engine::ModelCheck ok = Check(u"KV-100");
    EXPECT_EQ(ok.problem, ModelProblem::None);
    EXPECT_EQ(ok.printerName, u"Korvel KV-100");

    EXPECT_EQ(Check(u"KV-999").problem, ModelProblem::NoPrinterName);
    EXPECT_EQ(Check(u"").problem, ModelProblem::NoPrinterName);
    EXPECT_EQ(Check(u"KV-300").problem, ModelProblem::NoPrintHead) << "12 is no print head";
    EXPECT_EQ(Check(u"KV-400").problem, ModelProblem::NoPrintHead) << "no PRINTER_TYPE entry";

    engine::ModelCheck missing = Check(u"KV-200");
    EXPECT_EQ(missing.problem, ModelProblem::DriverMissing);
    EXPECT_EQ(missing.driverInf, dir.ProgramDir() + u"PrinterDriver\\9pin\\OEMPRINT.INF");

    // The same checks for the printer name the finish page holds.
    EXPECT_EQ(engine::CheckPrinter(catalogue, dir.ProgramDir(), u"Korvel KV-100").problem, ModelProblem::None);
    EXPECT_EQ(engine::CheckPrinter(catalogue, dir.ProgramDir(), u"").problem, ModelProblem::NoPrinterName);
    std::filesystem::remove_all(dir.path() / "PrinterDriver");
    EXPECT_EQ(engine::CheckPrinter(catalogue, dir.ProgramDir(), u"Korvel KV-100").problem,
              ModelProblem::DriverMissing);
}

}  // namespace
