// The spooler operations against the real spooler of the test's own Wine prefix: the
// forwarders to winspool.drv, the records as the platform lays them out, and the
// spooler's own answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/printer_installer.h"
#include "tests/support/text_convert.h"
#include "tests/win/spooler_fixture.h"

namespace {

using namespace spooler_fixture;

class RealSpooler : public testing::Test {
protected:
    CPrinterInstaller installer;
    void SetUp() override {
        RemoveAllPrinters();
        ASSERT_TRUE(LocalPrinters().empty());
    }
    void TearDown() override { RemoveAllPrinters(); }
};

TEST_F(RealSpooler, PortsAreListedInSpoolerOrder) {
    StringList ports{u"kept"};
    ASSERT_EQ(installer.EnumPortNames(ports), 1);

    DWORD needed = 0, count = 0;
    EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &count));
    StringList expected{u"kept"};
    for (DWORD i = 0; i < count; ++i)
        expected.push_back(U16(reinterpret_cast<PORT_INFO_2W*>(buffer.data())[i].pPortName));
    EXPECT_EQ(ports, expected);
    EXPECT_NE(std::find(ports.begin(), ports.end(), u"LPT1:"), ports.end());
    EXPECT_NE(std::find(ports.begin(), ports.end(), u"FILE:"), ports.end());
}

TEST_F(RealSpooler, NoPrinters) {
    StringList found;
    EXPECT_EQ(installer.FindInstalledPrinters(u"KV-100", found), 0);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(installer.PrinterExists(u"KV-100"), 0);
}

TEST_F(RealSpooler, TheModelAndItsCopiesAreFound) {
    ASSERT_TRUE(AddTestDriver(L"KV-100"));
    for (const wchar_t* name :
         {L"KV-100 (2)", L"KV-100", L"KV-100(3)", L"KV-1000 (2)", L"KV-1000", L"KV-100 ("}) {
        ASSERT_TRUE(AddTestPrinter(name, L"KV-100")) << GetLastError();
    }
    StringList found;
    EXPECT_EQ(installer.FindInstalledPrinters(u"KV-100", found), 2);
    StringList expected;
    for (const auto& name : LocalPrinters()) {
        if (name == L"KV-100" || name == L"KV-100 (2)") expected.push_back(U16(name));
    }
    EXPECT_EQ(found, expected) << "in spooler order";

    EXPECT_EQ(installer.PrinterExists(u"KV-100"), 1);
    EXPECT_EQ(installer.PrinterExists(u"KV-1000 (2)"), 1);
    EXPECT_EQ(installer.PrinterExists(u"KV-10"), 0);
    EXPECT_EQ(installer.PrinterExists(u"KV-1000 "), 0);
    EXPECT_EQ(installer.PrinterExists(u""), 0);
}

TEST_F(RealSpooler, ADriverStillUsedByASecondPrinterStays) {
    ASSERT_TRUE(AddTestDriver(L"KV-100"));
    ASSERT_TRUE(AddTestPrinter(L"KV-100", L"KV-100"));
    ASSERT_TRUE(AddTestPrinter(L"Office", L"KV-100"));
    EXPECT_EQ(installer.DeletePrinterAndDriver(u"KV-100"), 0);
    EXPECT_FALSE(HasPrinter(L"KV-100"));
    EXPECT_TRUE(HasPrinter(L"Office"));
    EXPECT_TRUE(HasDriver(L"KV-100"));
}

TEST_F(RealSpooler, APrinterAloneWithItsDriverIsRemoved) {
    ASSERT_TRUE(AddTestDriver(L"KV-200"));
    ASSERT_TRUE(AddTestPrinter(L"KV-200", L"KV-200"));
    std::int32_t result = installer.DeletePrinterAndDriver(u"KV-200");
    EXPECT_FALSE(HasPrinter(L"KV-200"));
    if (RunningUnderWine()) {
        // Wine's spooler refuses the delete flag DPD_DELETE_UNUSED_FILES
        // (ERROR_INVALID_PARAMETER) and deletes no driver with it.
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(HasDriver(L"KV-200"));
    } else {
        EXPECT_EQ(result, 1);
        EXPECT_FALSE(HasDriver(L"KV-200"));
    }
}

TEST_F(RealSpooler, AMissingPrinterStillHasItsDriverDeletionTried) {
    ASSERT_TRUE(AddTestDriver(L"KV-300"));
    std::int32_t result = installer.DeletePrinterAndDriver(u"KV-300");
    EXPECT_EQ(result, RunningUnderWine() ? 0 : 1);
    EXPECT_EQ(installer.DeletePrinterAndDriver(u"No such printer"), 0);
}

}  // namespace
