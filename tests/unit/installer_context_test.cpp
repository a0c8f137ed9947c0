// The installer record: paths built from the program's folder, print-head types from the
// catalogue, the accessors, and the boundaries of the profile reads.
#include <gtest/gtest.h>

#include <string>

#include "engine/printer_installer.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "tests/support/fake_module.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_convert.h"

namespace {

// A profile reader that answers from a script, for the cases no real file can give.
struct ScriptedProfile final : platform::Profile {
    platform::Dword stringResult = 0;
    std::u16string stringValue;
    platform::Dword sectionResult = 0;
    int calls = 0;
    platform::ScopedService<platform::Profile> scope{*this};

    platform::Dword GetPrivateProfileStringW(const char16_t*, const char16_t*, const char16_t*, char16_t* buffer,
                                             platform::Dword size, const char16_t*) override {
        ++calls;
        text::Copy(buffer, size, stringValue.c_str());
        return stringResult;
    }
    platform::Dword GetPrivateProfileSectionW(const char16_t*, char16_t* buffer, platform::Dword size,
                                              const char16_t*) override {
        ++calls;
        if (size >= 2) buffer[0] = buffer[1] = 0;
        return sectionResult;
    }
};

class CatalogueFolder : public testing::Test {
protected:
    TempDir dir;
    FakeModule module{dir.ProgramDir() + u"setup.exe"};

    void WriteCatalogue(const std::string& utf8) { dir.Write("PrinterInfor.Inf", Utf16LeWithBom(utf8)); }
    std::u16string Dir() const { return dir.ProgramDir(); }
};

}  // namespace

TEST(InstallerContext, PathsFollowTheProgramFolder) {
    FakeModule module(u"D:\\Drivers\\setup.exe");
    ScriptedProfile missingCatalogue;
    CPrinterInstaller installer;
    EXPECT_EQ(U16(installer.programDir), u"D:\\Drivers\\");
    EXPECT_EQ(U16(installer.printerInfoPath), u"D:\\Drivers\\PrinterInfor.Inf");
    EXPECT_EQ(U16(installer.languagePath), u"D:\\Drivers\\Language.inf");
    EXPECT_EQ(U16(installer.driverInfPath), u"D:\\Drivers\\PrinterDriver\\");
    EXPECT_EQ(U16(installer.language), u"English");
    EXPECT_EQ(U16(installer.modelName), u"");
    EXPECT_EQ(U16(installer.portName), u"");
    EXPECT_EQ(installer.setAsDefault, 0);
    EXPECT_EQ(installer.printTestPage, 0);
    EXPECT_EQ(missingCatalogue.calls, 1) << "the constructor makes exactly one catalogue look-up";
    EXPECT_EQ(installer.ProgramDirFits(), 1);
}

TEST(InstallerContext, ProgramFolderLengthLimit) {
    // 227 characters of folder leave room for "PrinterDriver\24pin\OEMPRINT.INF".
    std::u16string fits = u"C:\\" + std::u16string(223, u'a') + u"\\";
    ASSERT_EQ(fits.size(), kMaxProgramDirLength);
    {
        FakeModule module(fits + u"setup.exe");
        ScriptedProfile profile;
        CPrinterInstaller installer;
        EXPECT_EQ(installer.ProgramDirFits(), 1);
        EXPECT_EQ(text::Length(installer.printerInfoPath), fits.size() + 16);
    }
    {
        FakeModule module(u"C:\\" + std::u16string(224, u'a') + u"\\setup.exe");
        ScriptedProfile profile;
        CPrinterInstaller installer;
        EXPECT_EQ(installer.ProgramDirFits(), 0);
    }
    {
        // A module path cut by the 260-character buffer must not yield a shorter, wrong folder.
        FakeModule module(u"C:\\x\\" + std::u16string(300, u'b') + u"\\setup.exe");
        ScriptedProfile profile;
        CPrinterInstaller installer;
        EXPECT_EQ(U16(installer.programDir), u"");
        EXPECT_EQ(installer.ProgramDirFits(), 0);
    }
}

TEST(InstallerContext, ProfileReadBoundaries) {
    FakeModule module(u"D:\\Drivers\\setup.exe");
    ScriptedProfile profile;
    CPrinterInstaller installer;
    char16_t buffer[260] = {};

    profile.stringResult = 258;  // size - 2 counts as not read
    EXPECT_EQ(installer.ReadProfileString(u"S", u"K", u"f", buffer, 260), 0);
    profile.stringResult = 259;  // a value cut to size - 1 counts as read
    EXPECT_EQ(installer.ReadProfileString(u"S", u"K", u"f", buffer, 260), 1);
    profile.stringResult = 0;
    EXPECT_EQ(installer.ReadProfileString(u"S", u"K", u"f", buffer, 260), 0);

    char16_t section[2048] = {};
    profile.sectionResult = 2046;  // did not fit, or exactly the truncation result
    EXPECT_EQ(installer.ReadProfileSection(u"S", u"f", section, 2048), 0);
    profile.sectionResult = 2045;
    EXPECT_EQ(installer.ReadProfileSection(u"S", u"f", section, 2048), 2045);
    profile.sectionResult = 0;
    EXPECT_EQ(installer.ReadProfileSection(u"S", u"f", section, 2048), 0);
}

TEST(InstallerContext, AccessorsBoundTheirCopies) {
    FakeModule module(u"D:\\Drivers\\setup.exe");
    ScriptedProfile profile;
    CPrinterInstaller installer;

    std::u16string longName(250, u'M');
    EXPECT_EQ(installer.SetModelName(longName.c_str()), 0) << "a cut name is reported";
    EXPECT_EQ(text::Length(installer.modelName), 199u);
    EXPECT_EQ(installer.portName[0], 0) << "the neighbouring field is untouched";

    installer.SetPortName(u"USB001");
    char16_t small[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(installer.GetPortName(small, 4), 0);
    EXPECT_EQ(U16(small), u"USB");
    char16_t whole[200] = {};
    EXPECT_EQ(installer.GetPortName(whole, 200), 1);
    EXPECT_EQ(U16(whole), u"USB001");

    EXPECT_EQ(installer.SetDefaultFlag(2), 0);
    EXPECT_EQ(installer.GetDefaultFlag(), 0);
    installer.SetDefaultFlag(1);
    EXPECT_EQ(installer.GetDefaultFlag(), 1);
    installer.SetDefaultFlag(-1);
    EXPECT_EQ(installer.GetDefaultFlag(), 0);
    installer.SetTestPageFlag(1);
    EXPECT_EQ(installer.GetTestPageFlag(), 1);
    installer.SetTestPageFlag(2);
    EXPECT_EQ(installer.GetTestPageFlag(), 0);
}

TEST_F(CatalogueFolder, ResetReturnsToTheStateOfStartUp) {
    WriteCatalogue("[PRINTER_TYPE]\nKorvel KV-100=9\n");
    CPrinterInstaller installer;
    installer.SetModelName(u"Korvel KV-100");
    installer.SetPortName(u"USB001");
    installer.SetDefaultFlag(1);
    installer.SetTestPageFlag(1);
    installer.InitDriverInfPath();
    text::Copy(installer.language, kLanguageCapacity, u"Chinese");

    // Started from another folder since: the paths follow the running program.
    FakeModule moved(u"E:\\Copy\\setup.exe");
    installer.Reset();
    EXPECT_EQ(U16(installer.programDir), u"E:\\Copy\\");
    EXPECT_EQ(U16(installer.printerInfoPath), u"E:\\Copy\\PrinterInfor.Inf");
    EXPECT_EQ(U16(installer.driverInfPath), u"E:\\Copy\\PrinterDriver\\");
    EXPECT_EQ(U16(installer.modelName), u"");
    EXPECT_EQ(U16(installer.portName), u"");
    EXPECT_EQ(U16(installer.language), u"English");
    EXPECT_EQ(installer.setAsDefault, 0);
    EXPECT_EQ(installer.printTestPage, 0);
}

TEST_F(CatalogueFolder, DriverInfPathFollowsThePrintHeadType) {
    WriteCatalogue(
        "[PRINTER_NAME]\nKV-100=Korvel KV-100\n"
        "[PRINTER_TYPE]\nKorvel KV-100=24\nNine=9\nZeroNine=09\nPinned=24pin\nKV-100=9\n");
    CPrinterInstaller installer;
    EXPECT_EQ(installer.driverInfPath, Dir() + u"PrinterDriver\\");

    auto pathFor = [&](const char16_t* model) {
        installer.SetModelName(model);
        installer.InitDriverInfPath();
        return std::u16string(installer.driverInfPath);
    };
    EXPECT_EQ(pathFor(u"Korvel KV-100"), Dir() + u"PrinterDriver\\24pin\\OEMPRINT.INF");
    EXPECT_EQ(pathFor(u"Nine"), Dir() + u"PrinterDriver\\9pin\\OEMPRINT.INF");
    EXPECT_EQ(pathFor(u"nine"), Dir() + u"PrinterDriver\\9pin\\OEMPRINT.INF") << "key names ignore case";
    EXPECT_EQ(pathFor(u"ZeroNine"), Dir() + u"PrinterDriver\\");
    EXPECT_EQ(pathFor(u"Pinned"), Dir() + u"PrinterDriver\\");
    EXPECT_EQ(pathFor(u"Unknown"), Dir() + u"PrinterDriver\\");

    // The type is keyed by the printer name, not by the catalogue entry.
    EXPECT_EQ(installer.GetPrinterType(u"Korvel KV-100"), 1);
    EXPECT_EQ(installer.GetPrinterType(u"KV-100"), 2);
}

TEST_F(CatalogueFolder, PrinterTypeValueOfEighteenCharactersIsNotRead) {
    WriteCatalogue("[PRINTER_TYPE]\nA=" + std::string(18, '9') + "\nB=" + std::string(17, '9') + "\n");
    CPrinterInstaller installer;
    EXPECT_EQ(installer.GetPrinterType(u"A"), -1);
    EXPECT_EQ(installer.GetPrinterType(u"B"), -1);  // read, but not a known type
}

TEST_F(CatalogueFolder, PrinterNames) {
    WriteCatalogue("[PRINTER_NAME]\nKV-100=Korvel KV-100\nShort=" + std::string(258, 'n') +
                   "\nExact=" + std::string(259, 'e') + "\nLong=" + std::string(300, 'l') + "\n");
    CPrinterInstaller installer;
    char16_t name[260];

    std::fill(std::begin(name), std::end(name), u'?');
    EXPECT_EQ(installer.GetPrinterName(u"KV-100", name, 260), 1);
    EXPECT_EQ(U16(name), u"Korvel KV-100");

    std::fill(std::begin(name), std::end(name), u'?');
    EXPECT_EQ(installer.GetPrinterName(u"Absent", name, 260), 0);
    EXPECT_EQ(U16(name), u"") << "an entry without a name leaves an empty buffer";

    EXPECT_EQ(installer.GetPrinterName(u"Short", name, 260), 0) << "size - 2 counts as not read";
    EXPECT_EQ(installer.GetPrinterName(u"Exact", name, 260), 1);
    EXPECT_EQ(text::Length(name), 259u);
    EXPECT_EQ(installer.GetPrinterName(u"Long", name, 260), 1);
    EXPECT_EQ(text::Length(name), 259u) << "a longer value is cut to the buffer";
}

TEST_F(CatalogueFolder, MissingCatalogueReadsAsEmpty) {
    CPrinterInstaller installer;
    char16_t name[260] = {u'x'};
    EXPECT_EQ(installer.GetPrinterName(u"KV-100", name, 260), 0);
    EXPECT_EQ(name[0], 0);
    EXPECT_EQ(installer.GetPrinterType(u"KV-100"), -1);
    EXPECT_EQ(installer.driverInfPath, Dir() + u"PrinterDriver\\");
}

TEST_F(CatalogueFolder, SecondInstanceStartsFresh) {
    WriteCatalogue("[PRINTER_TYPE]\nKorvel KV-100=24\n");
    CPrinterInstaller first;
    first.SetModelName(u"Korvel KV-100");
    first.SetPortName(u"USB001");
    first.SetDefaultFlag(1);
    first.SetTestPageFlag(1);
    first.InitDriverInfPath();
    ASSERT_EQ(first.driverInfPath, Dir() + u"PrinterDriver\\24pin\\OEMPRINT.INF");

    CPrinterInstaller second;
    EXPECT_EQ(U16(second.programDir), U16(first.programDir));
    EXPECT_EQ(U16(second.printerInfoPath), U16(first.printerInfoPath));
    EXPECT_EQ(U16(second.languagePath), U16(first.languagePath));
    EXPECT_EQ(second.driverInfPath, Dir() + u"PrinterDriver\\");
    EXPECT_EQ(U16(second.modelName), u"");
    EXPECT_EQ(U16(second.portName), u"");
    EXPECT_EQ(second.setAsDefault, 0);
    EXPECT_EQ(second.printTestPage, 0);
}

TEST(InstallerContext, GlobalInstallerIsBuiltFromTheRunningProgram) {
    CPrinterInstaller fresh;
    EXPECT_EQ(U16(fresh.programDir), U16(theInstaller.programDir));
    EXPECT_EQ(U16(fresh.printerInfoPath), U16(theInstaller.printerInfoPath));
    EXPECT_EQ(U16(fresh.languagePath), U16(theInstaller.languagePath));
    std::u16string dir = theInstaller.programDir;
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), u'\\');
}
