// The spooler operations against a spooler in memory: the two-call enumeration and its
// failures, the name tests, and the removal of a printer with its driver.
#include "engine/install/spooler.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "engine/printer_installer.h"
#include "platform/memory.h"
#include "tests/support/fake_memory.h"
#include "tests/support/fake_module.h"
#include "tests/support/fake_spooler.h"

namespace {

using Calls = std::vector<std::string>;

class Spooler : public testing::Test {
protected:
    FakeModule module{u"C:\\Setup\\setup.exe"};
    FakeSpooler spooler;
    ScriptedMemory memory;
    CPrinterInstaller installer;
    StringList list{u"kept"};

    // Every operation that enumerates, with its result for a failed enumeration; a
    // listing also gives the error of the step that failed.
    void ExpectEveryEnumerationFails(platform::Dword error) {
        EXPECT_EQ(installer.EnumPortNames(list), 0);
        EXPECT_EQ(installer.FindInstalledPrinters(u"Alpha", list), -1);
        EXPECT_EQ(installer.PrinterExists(u"Alpha"), 0);
        EXPECT_EQ(list, StringList{u"kept"});
        engine::Listing<StringList> ports = engine::ListPortNames();
        EXPECT_FALSE(ports.value.has_value());
        EXPECT_EQ(ports.error, error);
        engine::Listing<std::vector<engine::LocalPrinter>> printers = engine::ListLocalPrinters();
        EXPECT_FALSE(printers.value.has_value());
        EXPECT_EQ(printers.error, error);
        EXPECT_EQ(memory.live, 0);
    }
};

TEST_F(Spooler, EnumerationFailsWhenTheSizingCallFailsWithAnotherError) {
    spooler.AddPrinter(u"Alpha");
    spooler.ports = {u"LPT1:"};
    spooler.printerScript = spooler.portScript = {true, platform::kErrorSpoolerUnavailable, false, 0};
    ExpectEveryEnumerationFails(platform::kErrorSpoolerUnavailable);
    EXPECT_TRUE(memory.requests.empty());
    EXPECT_EQ(spooler.calls.size(), 5u) << "no second call after the failed first";
}

TEST_F(Spooler, EnumerationFailsWhenTheBufferCannotBeAllocated) {
    spooler.AddPrinter(u"Alpha");
    spooler.ports = {u"LPT1:"};
    memory.fail = true;
    // Its own error, not the sizing call's ERROR_INSUFFICIENT_BUFFER.
    ExpectEveryEnumerationFails(platform::kErrorNotEnoughMemory);
    EXPECT_EQ(memory.requests.size(), 5u);
}

TEST_F(Spooler, EnumerationFailsWhenTheSecondCallFails) {
    spooler.AddPrinter(u"Alpha");
    spooler.ports = {u"LPT1:"};
    spooler.printerScript = spooler.portScript = {false, 0, true, platform::kErrorInsufficientBuffer};
    ExpectEveryEnumerationFails(platform::kErrorInsufficientBuffer);
}

// EnumPrinters (Microsoft Learn): a buffer too small fails with ERROR_INSUFFICIENT_BUFFER
// and the size now needed; a printer added between the two calls makes exactly that.
TEST_F(Spooler, APrinterAddedBetweenSizingAndReadingIsListedOnAnotherTry) {
    spooler.AddPrinter(u"Alpha");
    spooler.arrivals = {u"Alpha (2)", u"Alpha (3)"};
    engine::Listing<StringList> found = engine::FindPrintersOfModel(u"Alpha");
    ASSERT_TRUE(found.ok());
    EXPECT_EQ(*found.value, (StringList{u"Alpha", u"Alpha (2)", u"Alpha (3)"}));
    EXPECT_EQ(spooler.calls.size(), 6u) << "three sizing and reading pairs";

    spooler.arrivals = {u"Beta", u"Gamma", u"Delta"};
    found = engine::FindPrintersOfModel(u"Alpha");
    EXPECT_FALSE(found.ok()) << "the list grew on every try";
    EXPECT_EQ(found.error, platform::kErrorInsufficientBuffer);
    EXPECT_EQ(memory.live, 0);
}

TEST_F(Spooler, ARemovalThatFailsCarriesTheSpoolersError) {
    spooler.AddPrinter(u"Alpha");
    spooler.AddPrinter(u"Alpha (2)", u"Alpha");
    spooler.deleteFails = true;
    platform::Outcome removed = engine::RemovePrinter(u"Alpha");
    EXPECT_FALSE(removed.ok());
    EXPECT_EQ(removed.error, 5u);
    platform::Outcome deleted = engine::DeleteDriver(u"Alpha", u"Windows x64");
    EXPECT_FALSE(deleted.ok());
    EXPECT_EQ(deleted.error, FakeSpooler::kErrorPrinterDriverInUse);

    spooler.deleteFails = false;
    removed = engine::RemovePrinter(u"Beta");
    EXPECT_EQ(removed.error, FakeSpooler::kErrorInvalidPrinterName);
    removed = engine::RemovePrinter(u"Alpha (2)");
    EXPECT_TRUE(removed.ok());
    EXPECT_EQ(removed.error, 0u);
}

TEST_F(Spooler, TheBufferHasExactlyTheSizeTheSpoolerAskedFor) {
    spooler.ports = {u"LPT1:", u"USB001"};
    ASSERT_EQ(installer.EnumPortNames(list), 1);
    std::size_t needed = 2 * sizeof(platform::PortInfo2) + (6 + 7) * sizeof(char16_t);
    EXPECT_EQ(memory.requests, std::vector<std::size_t>{needed});
    EXPECT_EQ(spooler.calls,
              (Calls{"EnumPorts server=none level=2 buffer=none size=0",
                     "EnumPorts server=none level=2 buffer=given size=" + std::to_string(needed)}));
    EXPECT_EQ(list, (StringList{u"kept", u"LPT1:", u"USB001"}));
}

TEST_F(Spooler, NothingToListIsASuccessWithNothingAppended) {
    EXPECT_EQ(installer.EnumPortNames(list), 1);
    EXPECT_EQ(installer.FindInstalledPrinters(u"Alpha", list), 0);
    EXPECT_EQ(installer.PrinterExists(u"Alpha"), 0);
    EXPECT_EQ(list, StringList{u"kept"});
    EXPECT_TRUE(memory.requests.empty());
    // The second call is made all the same, again without a buffer.
    EXPECT_EQ(spooler.calls[1], "EnumPorts server=none level=2 buffer=none size=0");
    EXPECT_EQ(spooler.calls[3], "EnumPrinters flags=2 name=none level=2 buffer=none size=0");
}

// The spooler knows printers by name without regard to case: "alpha" is the printer
// "Alpha", and "ALPHA (2)" one of its copies.
TEST_F(Spooler, CopiesAreTheModelABlankAndAParenthesisInAnyCase) {
    for (const char16_t* name : {u"Alpha (2)", u"Alpha", u"Alpha(2)", u"Alpha0", u"Alpha (", u"ALPHA (3)",
                                 u"Alpha0 (2)", u"Alpha\t(2)", u"Alpha (copy)", u"Alph", u"Beta (2)"}) {
        spooler.AddPrinter(name);
    }
    EXPECT_EQ(installer.FindInstalledPrinters(u"alpha", list), 4);
    EXPECT_EQ(list, (StringList{u"kept", u"Alpha (2)", u"Alpha", u"ALPHA (3)", u"Alpha (copy)"}));
}

TEST_F(Spooler, ALongerModelIsNotACopy) {
    spooler.AddPrinter(u"KV-1000(2)");
    spooler.AddPrinter(u"KV-1000 (2)");
    spooler.AddPrinter(u"KV-1000");
    spooler.AddPrinter(u"KV-100 (3)");
    EXPECT_EQ(installer.FindInstalledPrinters(u"KV-100", list), 1);
    EXPECT_EQ(list, (StringList{u"kept", u"KV-100 (3)"}));
}

TEST_F(Spooler, APrinterExistsOnlyUnderItsWholeNameInAnyCase) {
    spooler.AddPrinter(u"Alpha0");
    spooler.AddPrinter(u"Alpha (2)");
    spooler.AddPrinter(u"ALPHA");
    EXPECT_EQ(installer.PrinterExists(u"Alpha"), 1);
    EXPECT_EQ(installer.PrinterExists(u"alpha0"), 1);
    EXPECT_EQ(installer.PrinterExists(u"Alpha (2)"), 1);
    EXPECT_EQ(installer.PrinterExists(u"Alpha0 "), 0);
    EXPECT_EQ(installer.PrinterExists(u"Alpha ("), 0);
}

TEST_F(Spooler, NoPrinterHasAnEmptyName) {
    spooler.AddPrinter(u"Alpha");
    EXPECT_EQ(installer.PrinterExists(u""), 0);
    EXPECT_EQ(installer.PrinterExists(nullptr), 0);
}

TEST_F(Spooler, DeletionPurgesDeletesAndClosesTheQueueThenDeletesTheDriver) {
    spooler.AddPrinter(u"Alpha");
    EXPECT_EQ(installer.DeletePrinterAndDriver(u"Alpha"), 1);
    EXPECT_EQ(spooler.calls,
              (Calls{"Open Alpha", "SetPrinter level=0 data=none command=3 Alpha", "DeletePrinter Alpha",
                     "ClosePrinter Alpha", "DeleteDriver Alpha server=none environment=given flags=1,3"}));
    ASSERT_TRUE(spooler.lastDefaultsGiven);
    EXPECT_EQ(spooler.lastDefaults.dataType, nullptr);
    EXPECT_EQ(spooler.lastDefaults.devMode, nullptr);
    EXPECT_EQ(spooler.lastDefaults.desiredAccess, 0xF000Cu);
    EXPECT_TRUE(spooler.printers.empty());
    EXPECT_TRUE(spooler.drivers.empty());
}

TEST_F(Spooler, APrinterThatCannotBeOpenedStillHasItsDriverDeleted) {
    spooler.drivers.insert(u"Alpha");  // a driver no printer uses
    EXPECT_EQ(installer.DeletePrinterAndDriver(u"Alpha"), 1);
    EXPECT_EQ(spooler.calls,
              (Calls{"Open Alpha", "DeleteDriver Alpha server=none environment=given flags=1,3"}));
    EXPECT_TRUE(spooler.drivers.empty());

    spooler.calls.clear();
    spooler.AddPrinter(u"Beta");
    spooler.openFails = true;
    EXPECT_EQ(installer.DeletePrinterAndDriver(u"Beta"), 0) << "the driver is still in use by the queue";
    EXPECT_EQ(spooler.calls,
              (Calls{"Open Beta", "DeleteDriver Beta server=none environment=given flags=1,3"}));
    EXPECT_TRUE(spooler.HasPrinter(u"Beta"));
}

TEST_F(Spooler, FailedPurgeDeletionOrCloseDoNotStopTheNextSteps) {
    struct Case {
        bool purgeFails, deleteFails, closeFails;
        std::int32_t result;
    };
    for (const Case c :
         {Case{true, false, false, 1}, Case{false, false, true, 1}, Case{false, true, false, 0}}) {
        FakeSpooler local;
        local.AddPrinter(u"Alpha");
        local.purgeFails = c.purgeFails;
        local.deleteFails = c.deleteFails;
        local.closeFails = c.closeFails;
        EXPECT_EQ(installer.DeletePrinterAndDriver(u"Alpha"), c.result);
        EXPECT_EQ(local.calls.size(), 5u);
        EXPECT_EQ(local.printers.empty(), !c.deleteFails);
    }
}

TEST_F(Spooler, ADriverStillUsedByAnotherPrinterStays) {
    spooler.AddPrinter(u"Alpha");
    spooler.AddPrinter(u"Alpha (2)", u"Alpha");
    EXPECT_EQ(installer.DeletePrinterAndDriver(u"Alpha"), 0);
    EXPECT_FALSE(spooler.HasPrinter(u"Alpha"));
    EXPECT_TRUE(spooler.HasPrinter(u"Alpha (2)"));
    EXPECT_EQ(spooler.drivers.count(u"Alpha"), 1u);

    // A copy's name is no driver's name: its queue goes, and the result is 0.
    EXPECT_EQ(installer.DeletePrinterAndDriver(u"Alpha (2)"), 0);
    EXPECT_TRUE(spooler.printers.empty());
    EXPECT_EQ(installer.DeletePrinterAndDriver(u"Alpha"), 1);
}

#if !defined(_WIN32)
// The portable build's spooler: there is none, and every operation fails plainly.
TEST(SpoolerUnavailable, EveryOperationFailsPlainly) {
    FakeModule module(u"C:\\Setup\\setup.exe");
    CPrinterInstaller installer;
    StringList list;
    EXPECT_EQ(installer.EnumPortNames(list), 0);
    EXPECT_EQ(installer.FindInstalledPrinters(u"Alpha", list), -1);
    EXPECT_EQ(installer.PrinterExists(u"Alpha"), 0);
    EXPECT_EQ(installer.DeletePrinterAndDriver(u"Alpha"), 0);
    EXPECT_TRUE(list.empty());
}
#endif

}  // namespace
