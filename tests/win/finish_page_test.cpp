// The finish page in a real wizard frame, driven in process: the summary, the removal of
// older printers, the re-scan, the installation worker, the result boxes and the buttons.
// The spooler, the shell, the device tree and the message boxes are fakes at the seam.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/printer_installer.h"
#include "platform/config_manager.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "tests/support/fake_devices.h"
#include "tests/support/fake_pnp_update.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_shell.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_convert.h"
#include "tests/win/wizard_harness.h"
#include "wizard/step1_welcome.h"
#include "wizard/step5_finish.h"
#include "wizard/wizard.h"

namespace {

const wchar_t kWelcomeTitle[] = L"科维打印机驱动安装步骤1";
const wchar_t kFinishTitle[] = L"科维打印机驱动安装步骤4";
const wchar_t kRemoving[] = L"正在删除所要替换的驱动...";
const wchar_t kInstalling[] = L"正在安装打印机驱动...";
const wchar_t kInstalled[] = L"打印机驱动已成功安装！";
const wchar_t kFailed[] = L"打印机驱动安装失败！";
const char16_t kModel[] = u"Korvel KV-100";

// What happened, in order, across the threads, each with the status line shown then and
// whether Cancel could be pressed. Read without messages: workers run while the
// interface thread may be blocked.
class Journal {
public:
    struct Entry {
        std::string what;
        std::wstring status;
        bool cancelEnabled;
    };

    void Watch(HWND statusLine, HWND cancel) {
        std::lock_guard<std::mutex> lock(mutex);
        status = statusLine;
        cancelButton = cancel;
    }
    void Add(const std::string& what) {
        std::lock_guard<std::mutex> lock(mutex);
        wchar_t text[256] = {};
        if (status) ::InternalGetWindowText(status, text, 256);
        entries.push_back({what, text, cancelButton && ::IsWindowEnabled(cancelButton)});
    }
    std::vector<Entry> Entries() {
        std::lock_guard<std::mutex> lock(mutex);
        return entries;
    }
    // Index of the first entry that starts with prefix, or -1.
    int Find(const std::string& prefix) {
        std::lock_guard<std::mutex> lock(mutex);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].what.rfind(prefix, 0) == 0) return static_cast<int>(i);
        }
        return -1;
    }
    int Count(const std::string& prefix) {
        std::lock_guard<std::mutex> lock(mutex);
        int n = 0;
        for (const auto& e : entries) n += e.what.rfind(prefix, 0) == 0;
        return n;
    }

private:
    std::mutex mutex;
    HWND status = nullptr;
    HWND cancelButton = nullptr;
    std::vector<Entry> entries;
};

// The fake spooler with every call written to the journal.
class JournalSpooler final : public platform::Spooler {
public:
    using Dword = platform::Dword;
    using Result = platform::Result<platform::Bool>;
    JournalSpooler(FakeSpooler& inner, Journal& journal) : inner(inner), journal(journal) {}
    Result EnumPrintersW(Dword flags, const char16_t* name, Dword level, unsigned char* buffer, Dword size,
                         Dword* needed, Dword* returned) override {
        journal.Add("EnumPrinters");
        return inner.EnumPrintersW(flags, name, level, buffer, size, needed, returned);
    }
    Result EnumPortsW(const char16_t* server, Dword level, unsigned char* buffer, Dword size, Dword* needed,
                      Dword* returned) override {
        journal.Add("EnumPorts");
        return inner.EnumPortsW(server, level, buffer, size, needed, returned);
    }
    Result OpenPrinterW(const char16_t* name, platform::Handle* printer,
                        const platform::PrinterDefaults* defaults) override {
        journal.Add("Open " + FakeSpooler::Narrow(name));
        return inner.OpenPrinterW(name, printer, defaults);
    }
    Result SetPrinterW(platform::Handle printer, Dword level, unsigned char* data, Dword command) override {
        return inner.SetPrinterW(printer, level, data, command);
    }
    Result DeletePrinter(platform::Handle printer) override {
        journal.Add("Delete");
        return inner.DeletePrinter(printer);
    }
    Result ClosePrinter(platform::Handle printer) override {
        journal.Add("Close");
        return inner.ClosePrinter(printer);
    }
    Result DeletePrinterDriverExW(const char16_t* server, const char16_t* environment, const char16_t* driver,
                                  Dword deleteFlag, Dword versionFlag) override {
        const Result deleted =
            inner.DeletePrinterDriverExW(server, environment, driver, deleteFlag, versionFlag);
        journal.Add(deleted.ok() ? "Driver deleted" : "Driver kept");
        return deleted;
    }

private:
    FakeSpooler& inner;
    Journal& journal;
    platform::ScopedService<platform::Spooler> scope{*this};
};

class JournalConfigManager final : public platform::ConfigManager {
public:
    explicit JournalConfigManager(Journal& journal) : journal(journal) {}
    platform::ConfigRet CM_Locate_DevNodeW(platform::DevInst* devInst, const char16_t*, platform::Dword) override {
        *devInst = 1;
        return platform::kCrSuccess;
    }
    platform::ConfigRet CM_Reenumerate_DevNode(platform::DevInst, platform::Dword) override {
        journal.Add("Rescan");
        return platform::kCrSuccess;
    }

private:
    Journal& journal;
    platform::ScopedService<platform::ConfigManager> scope{*this};
};

// The harness's boxes, each box written to the journal with the status line behind it.
class JournalBoxes final : public platform::MessageBoxes {
public:
    JournalBoxes(platform::MessageBoxes& inner, Journal& journal) : inner(inner), journal(journal) {}
    int MessageBoxW(platform::Handle owner, const char16_t* text, const char16_t* caption,
                    platform::Dword type) override {
        journal.Add("Box");
        return inner.MessageBoxW(owner, text, caption, type);
    }

private:
    platform::MessageBoxes& inner;
    Journal& journal;
    platform::ScopedService<platform::MessageBoxes> scope{*this};
};

bool Contains(const std::u16string& text, const char16_t* part) { return text.find(part) != std::u16string::npos; }

// The engine reads the print-head type from the sample medium's catalogue and builds the
// driver INF path beside it, as it would beside the program.
void UseSampleMedium() {
    std::u16string dir;
    for (const char* c = TAMRIN_MEDIUM_DIR; *c; ++c) dir.push_back(*c == '/' ? u'\\' : static_cast<char16_t>(*c));
    dir += u"\\";
    text::Copy(theInstaller.programDir, kPathCapacity, dir.c_str());
    theInstaller.InitPrinterInfoPath();
    theInstaller.InitDriverInfPath();
}

class FinishPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (const char* shots = std::getenv("TAMRIN_SCREENSHOTS")) {
            std::error_code ignored;
            std::filesystem::create_directories(shots, ignored);
        }
    }

    FinishPageTest() {
        UseSampleMedium();
        theInstaller.SetModelName(kModel);
        theInstaller.SetPortName(u"USB001");
        // rundll32 with "/if" stands for the printer user-interface entry point that
        // creates the printer; printuiCreates false makes it do nothing.
        shell.onStart = [this](const std::u16string& parameters) {
            std::string what = "rundll32";
            for (const char16_t* option : {u"/if", u"/y", u"/k"}) {
                if (Contains(parameters, option)) what += " " + FakeSpooler::Narrow(option);
            }
            journal.Add(what);
            if (Contains(parameters, u"/if")) {
                if (holdInstall) ::WaitForSingleObject(releaseInstall, INFINITE);
                if (printuiCreates) spooler.AddPrinter(kModel);
            }
        };
    }
    ~FinishPageTest() override { ::CloseHandle(releaseInstall); }

    // Runs a wizard of the welcome page and the finish page, started on the finish page.
    INT_PTR RunFinishPage(const std::function<void(WizardDriver&)>& script) {
        CWizard frame(L"Korvel Printer Driver Setup", nullptr, 0);
        CStep1 welcome;
        CStep5 finish;
        const INT_PTR code =
            harness.RunWizard(frame, {&welcome, &finish}, &finish, [&](WizardDriver& wizard) {
                ASSERT_TRUE(wizard.WaitForPage(kFinishTitle));
                wizard.OnUi([&] {
                    journal.Watch(::GetDlgItem(wizard.Page(), IDC_STATUS_TEXT),
                                  ::GetDlgItem(wizard.Frame(), IDCANCEL));
                });
                script(wizard);
            });
        outcome = finish.Outcome();
        return code;
    }

    // The status lines the journal saw, without repeats.
    std::vector<std::wstring> StatusesSeen() {
        std::vector<std::wstring> seen;
        for (const auto& e : journal.Entries()) {
            if (!e.status.empty() && (seen.empty() || seen.back() != e.status)) seen.push_back(e.status);
        }
        return seen;
    }

    // Waits until the installation worker has started the printer installer (held there
    // when holdInstall is set).
    bool WaitForInstallStart(WizardDriver& wizard) {
        for (int i = 0; i < 500 && journal.Find("rundll32 /if") < 0; ++i) ::Sleep(20);
        wizard.Settle();
        return journal.Find("rundll32 /if") >= 0;
    }

    // Whether the window menu offers Close (the close box and Alt+F4 go with it).
    static bool CloseOffered(WizardDriver& wizard) {
        bool offered = false;
        HWND frame = wizard.Frame();
        wizard.OnUi([&] {
            HMENU menu = frame ? ::GetSystemMenu(frame, FALSE) : nullptr;
            offered = menu && (::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
        });
        return offered;
    }

    static void ExpectButtonsUsable(WizardDriver& wizard, bool usable) {
        EXPECT_EQ(wizard.ButtonEnabled(kBackButton), usable);
        EXPECT_EQ(wizard.ButtonEnabled(kFinishButton), usable);
        EXPECT_EQ(wizard.ButtonEnabled(kCancelButton), usable);
    }

    Journal journal;
    FakeSpooler spooler;
    JournalSpooler journalSpooler{spooler, journal};
    JournalConfigManager configManager{journal};
    FakeShell shell;
    RecordingTiming timing;
    FakeDeviceInterfaces devices;  // no USB printer attached
    RecordingPnpUpdate pnp;
    WizardHarness harness;
    JournalBoxes journalBoxes{harness.boxes, journal};
    bool printuiCreates = true;
    bool holdInstall = false;
    CStep5::LastOutcome outcome = CStep5::LastOutcome::None;
    HANDLE releaseInstall = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

TEST_F(FinishPageTest, SummaryShowsWholeNamesAndIsRefreshedOnEveryEntry) {
    RunFinishPage([&](WizardDriver& wizard) {
        EXPECT_EQ(wizard.Text(IDC_DRIVER_TEXT), L"驱动：Korvel KV-100");
        EXPECT_EQ(wizard.Text(IDC_PORT_TEXT), L"端口：USB001");
        EXPECT_EQ(wizard.Text(IDC_INTRO_TEXT),
                  L"单击完成按扭后，本向导会按照前面几个步骤的设置，自动完成打印机驱动的安装。");
        EXPECT_EQ(wizard.Text(IDC_STATUS_LABEL), L"状态：");
        EXPECT_EQ(wizard.Text(IDC_STATUS_TEXT), L"");
        EXPECT_TRUE(wizard.ButtonEnabled(kBackButton));
        EXPECT_TRUE(wizard.ButtonEnabled(kFinishButton));
        EXPECT_FALSE(wizard.ButtonVisible(kNextButton));
        wizard.Screenshot("finish-page");

        // Names of the field's full length (199 characters) are shown whole.
        const std::u16string model(199, u'M'), port(199, u'P');
        wizard.Press(PSBTN_BACK);
        ASSERT_TRUE(wizard.WaitForPage(kWelcomeTitle));
        wizard.OnUi([&] {
            theInstaller.SetModelName(model.c_str());
            theInstaller.SetPortName(port.c_str());
        });
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kFinishTitle));
        EXPECT_EQ(wizard.Text(IDC_DRIVER_TEXT), L"驱动：" + std::wstring(199, L'M'));
        EXPECT_EQ(wizard.Text(IDC_PORT_TEXT), L"端口：" + std::wstring(199, L'P'));
        EXPECT_TRUE(wizard.ButtonEnabled(kFinishButton));
    });
    EXPECT_TRUE(harness.boxes.Shown().empty());
    EXPECT_TRUE(shell.starts.empty()) << "nothing is installed without Finish";
}

TEST_F(FinishPageTest, WithoutAPrinterOfTheNameInstallsAtOnceAsDefaultAndCloses) {
    // Another page's choices do not matter: always the default printer, never a test page.
    theInstaller.SetDefaultFlag(0);
    theInstaller.SetTestPageFlag(1);
    INT_PTR code = RunFinishPage([&](WizardDriver& wizard) {
        wizard.Press(PSBTN_FINISH);
        ASSERT_TRUE(wizard.WaitForEnd(20000));
    });
    EXPECT_EQ(code, 2);

    ASSERT_EQ(harness.boxes.Shown().size(), 1u);
    const auto box = harness.boxes.Shown()[0];
    EXPECT_EQ(box.text, L"打印机驱动安装成功！");
    EXPECT_EQ(box.caption, L"OK");
    EXPECT_EQ(box.type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));

    EXPECT_EQ(journal.Count("Open"), 1);
    EXPECT_EQ(journal.Count("Delete"), 0);
    EXPECT_EQ(journal.Count("Rescan"), 0);
    EXPECT_EQ(StatusesSeen(), (std::vector<std::wstring>{kInstalling, kInstalled}));
    EXPECT_GE(journal.Find("rundll32 /if"), 0);
    EXPECT_GT(journal.Find("rundll32 /y"), journal.Find("rundll32 /if"));
    EXPECT_EQ(journal.Count("rundll32 /k"), 0);
    EXPECT_TRUE(spooler.HasPrinter(kModel));
    EXPECT_FALSE(spooler.lastDefaultsGiven) << "the printer is opened with no defaults";
}

TEST_F(FinishPageTest, RemovesEveryPrinterOfTheNameThenRescansOnceBeforeInstalling) {
    // The exact name first: the fake's handles are list positions.
    spooler.AddPrinter(kModel);
    spooler.AddPrinter(u"Korvel KV-100 (2)", kModel);
    spooler.AddPrinter(u"Korvel KV-1000");
    INT_PTR code = RunFinishPage([&](WizardDriver& wizard) {
        wizard.Press(PSBTN_FINISH);
        ASSERT_TRUE(wizard.WaitForEnd(20000));
    });
    EXPECT_EQ(code, 2);

    const int rescan = journal.Find("Rescan");
    const int install = journal.Find("rundll32 /if");
    ASSERT_GE(rescan, 0);
    EXPECT_EQ(journal.Count("Rescan"), 1);
    EXPECT_GE(journal.Count("Delete"), 2) << "the printer and its copy";
    const auto entries = journal.Entries();
    int lastDelete = -1, lastClose = -1;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        if (entries[i].what == "Delete") lastDelete = i;
        if (entries[i].what == "Close" && i < rescan) lastClose = i;
    }
    EXPECT_LT(lastDelete, lastClose);
    EXPECT_EQ(lastClose, rescan - 2) << "the re-scan follows the removal's last ClosePrinter";
    EXPECT_EQ(entries[rescan - 1].what.rfind("Driver", 0), 0u) << "and its last driver deletion";
    EXPECT_LT(rescan, install);
    for (int i = 0; i < rescan; ++i) {
        EXPECT_FALSE(entries[i].cancelEnabled) << "Cancel usable during the removal, at " << entries[i].what;
    }
    EXPECT_EQ(StatusesSeen(), (std::vector<std::wstring>{kRemoving, kInstalling, kInstalled}));
    EXPECT_TRUE(spooler.HasPrinter(kModel)) << "installed anew";
    EXPECT_FALSE(spooler.HasPrinter(u"Korvel KV-100 (2)"));
    EXPECT_TRUE(spooler.HasPrinter(u"Korvel KV-1000")) << "another model is kept";
}

TEST_F(FinishPageTest, NoRescanWhenClosingThePrinterFails) {
    spooler.AddPrinter(kModel);
    spooler.closeFails = true;
    EXPECT_EQ(RunFinishPage([&](WizardDriver& wizard) {
                  wizard.Press(PSBTN_FINISH);
                  ASSERT_TRUE(wizard.WaitForEnd(20000));
              }),
              2);
    EXPECT_EQ(journal.Count("Rescan"), 0);
    EXPECT_GE(journal.Find("rundll32 /if"), 0);
}

// A scratch medium whose catalogue gives the printer a 24-pin head, with its INF.
void UseMediumFor(const TempDir& medium, const std::u16string& printer) {
    medium.Write("PrinterInfor.Inf", Utf16LeWithBom("[PRINTER_TYPE]\n" + text::ToUtf8(printer) + "=24\n"));
    medium.Write("PrinterDriver/24pin/OEMPRINT.INF", "[Version]\n");
    text::Copy(theInstaller.programDir, kPathCapacity, medium.ProgramDir().c_str());
    theInstaller.InitPrinterInfoPath();
    theInstaller.InitDriverInfPath();
}

TEST_F(FinishPageTest, LongModelNameRemovesOnlyItsOwnPrinters) {
    // Cut to 99 characters, the name would match the other printer and remove it.
    const std::u16string model(199, u'K'), shorter(99, u'K');
    TempDir medium;
    UseMediumFor(medium, model);
    theInstaller.SetModelName(model.c_str());
    spooler.AddPrinter(model);
    spooler.AddPrinter(shorter);
    RunFinishPage([&](WizardDriver& wizard) {
        wizard.Press(PSBTN_FINISH);
        ASSERT_TRUE(harness.boxes.WaitForCount(1, 20000));
    });
    EXPECT_FALSE(spooler.HasPrinter(model));
    EXPECT_TRUE(spooler.HasPrinter(shorter));
    for (const std::string& call : spooler.calls) EXPECT_NE(call, "Open " + std::string(99, 'K'));
}

TEST_F(FinishPageTest, NoButtonIsUsableWhileInstalling) {
    holdInstall = true;
    RunFinishPage([&](WizardDriver& wizard) {
        wizard.Press(PSBTN_FINISH);
        for (int i = 0; i < 200 && journal.Find("rundll32 /if") < 0; ++i) ::Sleep(20);
        ASSERT_GE(journal.Find("rundll32 /if"), 0);
        wizard.Settle();
        EXPECT_EQ(wizard.Text(IDC_STATUS_TEXT), kInstalling);
        ExpectButtonsUsable(wizard, false);
        ::Sleep(500);  // several timer ticks: still nothing decided
        EXPECT_TRUE(harness.boxes.Shown().empty());
        ExpectButtonsUsable(wizard, false);
        ::SetEvent(releaseInstall);
        EXPECT_TRUE(wizard.WaitForEnd(20000));
    });
}

TEST_F(FinishPageTest, FailureKeepsTheWizardOpenAndASecondFinishWorks) {
    printuiCreates = false;
    INT_PTR code = RunFinishPage([&](WizardDriver& wizard) {
        wizard.Press(PSBTN_FINISH);
        ASSERT_TRUE(harness.boxes.WaitForCount(1, 20000));
        wizard.Settle();
        EXPECT_FALSE(wizard.Ended());
        EXPECT_EQ(wizard.Title(), kFinishTitle);
        EXPECT_EQ(wizard.Text(IDC_STATUS_TEXT), kFailed) << "the failure stays on the page";
        ExpectButtonsUsable(wizard, true);
        wizard.Screenshot("finish-page-failed");

        wizard.OnUi([&] { printuiCreates = true; });
        wizard.Press(PSBTN_FINISH);
        EXPECT_TRUE(wizard.WaitForEnd(20000));
    });
    EXPECT_EQ(code, 2);
    const auto boxes = harness.boxes.Shown();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"打印机驱动安装失败！");
    EXPECT_EQ(boxes[0].caption, L"ERROR");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(boxes[1].text, L"打印机驱动安装成功！");
    EXPECT_EQ(journal.Count("rundll32 /if"), 2);
    EXPECT_EQ(journal.Count("rundll32 /y"), 1) << "no default printer after the failed try";
}

TEST_F(FinishPageTest, AModelTheMediumCannotInstallIsNamedBeforeAnythingIsRemoved) {
    // The sample catalogue gives this printer no print head; an old printer of its name
    // stays where it is, and the page stays usable.
    theInstaller.SetModelName(u"Korvel KV-1");
    spooler.AddPrinter(u"Korvel KV-1");
    RunFinishPage([&](WizardDriver& wizard) {
        wizard.Press(PSBTN_FINISH);
        ASSERT_TRUE(harness.boxes.WaitForCount(1, 20000));
        wizard.Settle();
        EXPECT_FALSE(wizard.Ended());
        EXPECT_EQ(wizard.Text(IDC_STATUS_TEXT), L"");
        ExpectButtonsUsable(wizard, true);
    });
    const auto boxes = harness.boxes.Shown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind(L"打印机型号文件中没有型号“Korvel KV-1”的打印头类型", 0), 0u);
    EXPECT_EQ(boxes[0].caption, L"ERROR");
    EXPECT_TRUE(spooler.HasPrinter(u"Korvel KV-1"));
    for (const std::string& call : spooler.calls) EXPECT_EQ(call.rfind("Delete", 0), std::string::npos) << call;
    EXPECT_TRUE(shell.starts.empty());
}

TEST_F(FinishPageTest, EmptyModelNameFailsWithoutTouchingTheSpooler) {
    theInstaller.SetModelName(u"");
    RunFinishPage([&](WizardDriver& wizard) {
        wizard.Press(PSBTN_FINISH);
        ASSERT_TRUE(harness.boxes.WaitForCount(1, 20000));
        wizard.Settle();
        EXPECT_EQ(wizard.Text(IDC_STATUS_TEXT), kFailed);
        ExpectButtonsUsable(wizard, true);
    });
    const auto boxes = harness.boxes.Shown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"打印机驱动安装失败！");
    EXPECT_EQ(boxes[0].caption, L"ERROR");
    EXPECT_TRUE(spooler.calls.empty()) << "first call: " << spooler.calls.front();
    EXPECT_TRUE(shell.starts.empty());
}

// A printer with an open handle is only marked for deletion, and is deleted when its last
// handle is closed (DeletePrinter function, Microsoft Learn); its driver is then still in
// use and DeletePrinterDriverEx fails (DeletePrinterDriverEx function, Microsoft Learn).
// The fake spooler behaves so; Wine deletes at once. The page's own handle is closed
// before the removal, so the old driver goes with its printer.
TEST_F(FinishPageTest, ThePrinterIsClosedBeforeTheRemovalSoItsDriverIsDeleted) {
    // Each printer with a driver of its own name: the model's is deleted, the copy's is not its.
    spooler.AddPrinter(kModel);
    spooler.AddPrinter(u"Korvel KV-100 (2)");
    EXPECT_EQ(RunFinishPage([&](WizardDriver& wizard) {
                  wizard.Press(PSBTN_FINISH);
                  ASSERT_TRUE(wizard.WaitForEnd(20000));
              }),
              2);

    const auto entries = journal.Entries();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries[0].what, "Open Korvel KV-100");
    EXPECT_EQ(entries[1].what, "Close") << "the page's handle is closed at once";
    const int firstDelete = journal.Find("Delete");
    ASSERT_GT(firstDelete, 1);
    EXPECT_EQ(entries[firstDelete].status, kRemoving);
    EXPECT_EQ(journal.Count("Driver deleted"), 1);
    EXPECT_EQ(journal.Count("Driver kept"), 0) << "a driver survived its printer's removal";
    EXPECT_TRUE(spooler.drivers.count(u"Korvel KV-100 (2)")) << "a driver not the model's own stays";
    EXPECT_EQ(journal.Count("Rescan"), 1);
    EXPECT_GT(journal.Find("Rescan"), journal.Find("Driver deleted"));
    EXPECT_LT(journal.Find("Rescan"), journal.Find("rundll32 /if"));
    EXPECT_FALSE(spooler.HasPrinter(u"Korvel KV-100 (2)"));
}

// Every way of closing a property sheet sends PSN_QUERYCANCEL to the current page (Esc,
// the close box; PSN_QUERYCANCEL notification code, Microsoft Learn); on Windows WM_CLOSE
// is also refused while Cancel is disabled (DefDlgProc, Microsoft Learn). While the
// installation runs the wizard stays, and then reports its outcome.
TEST_F(FinishPageTest, NoWayOfClosingEndsTheWizardWhileInstalling) {
    holdInstall = true;
    INT_PTR code = RunFinishPage([&](WizardDriver& wizard) {
        EXPECT_TRUE(CloseOffered(wizard));
        wizard.Press(PSBTN_FINISH);
        ASSERT_TRUE(WaitForInstallStart(wizard));
        HWND frame = wizard.Frame();
        EXPECT_FALSE(CloseOffered(wizard)) << "the window menu's Close is disabled";
        wizard.Screenshot("finish-page-installing");

        HWND cancel = ::GetDlgItem(frame, IDCANCEL);
        const std::vector<std::pair<const char*, std::function<void()>>> ways = {
            {"Cancel pressed (PSM_PRESSBUTTON)", [&] { wizard.Press(PSBTN_CANCEL); }},
            {"WM_COMMAND IDCANCEL", [&] {
                 wizard.PostToFrame(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
             }},
            {"Esc", [&] { wizard.Key(VK_ESCAPE); }},
            {"WM_CLOSE", [&] { wizard.PostToFrame(WM_CLOSE, 0, 0); }},
            {"the close box (WM_SYSCOMMAND SC_CLOSE)", [&] { wizard.PostToFrame(WM_SYSCOMMAND, SC_CLOSE, 0); }},
        };
        for (const auto& [name, close] : ways) {
            close();
            wizard.Settle();
            ::Sleep(50);
            wizard.Settle();
            ASSERT_FALSE(wizard.Ended()) << name << " ended the wizard";
            wizard.OnUi([&] { EXPECT_TRUE(::IsWindow(frame) && ::IsWindowVisible(frame)) << name; });
            EXPECT_EQ(wizard.Text(IDC_STATUS_TEXT), kInstalling) << name;
        }
        EXPECT_TRUE(harness.boxes.Shown().empty());
        ::SetEvent(releaseInstall);
        EXPECT_TRUE(wizard.WaitForEnd(20000));
    });
    EXPECT_EQ(code, 2) << "the installation's outcome ends the wizard";
    const auto boxes = harness.boxes.Shown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"打印机驱动安装成功！");
}

TEST_F(FinishPageTest, AfterAFailureTheWizardClosesAsBefore) {
    printuiCreates = false;
    INT_PTR code = RunFinishPage([&](WizardDriver& wizard) {
        wizard.Press(PSBTN_FINISH);
        ASSERT_TRUE(harness.boxes.WaitForCount(1, 20000));
        wizard.Settle();
        EXPECT_TRUE(CloseOffered(wizard));
        // Cancel refused nothing: the page lets the sheet close again.
        wizard.PostToFrame(WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(wizard.WaitForEnd());
    });
    EXPECT_EQ(code, IDCANCEL);
    EXPECT_EQ(harness.boxes.Shown().size(), 1u);
}

// The keyboard user: the default button has the focus on every activation, and again
// after a failure, so Return alone goes on (on Windows a disabled button loses the
// focus, and the page's static texts take none).
TEST_F(FinishPageTest, TheDefaultButtonHasTheFocusOnEveryActivationAndAfterAFailure) {
    printuiCreates = false;
    INT_PTR code = RunFinishPage([&](WizardDriver& wizard) {
        EXPECT_EQ(wizard.FocusedId(), kFinishButton);
        wizard.Press(PSBTN_BACK);
        ASSERT_TRUE(wizard.WaitForPage(kWelcomeTitle));
        EXPECT_EQ(wizard.FocusedId(), kNextButton);
        wizard.Key(VK_RETURN);
        ASSERT_TRUE(wizard.WaitForPage(kFinishTitle));
        EXPECT_EQ(wizard.FocusedId(), kFinishButton);

        wizard.Key(VK_RETURN);
        ASSERT_TRUE(harness.boxes.WaitForCount(1, 20000));
        wizard.Settle();
        EXPECT_EQ(wizard.Text(IDC_STATUS_TEXT), kFailed);
        EXPECT_EQ(wizard.FocusedId(), kFinishButton) << "the focus is back on Finish";

        wizard.OnUi([&] { printuiCreates = true; });
        wizard.Key(VK_RETURN);
        EXPECT_TRUE(wizard.WaitForEnd(20000));
    });
    EXPECT_EQ(code, 2);
    EXPECT_EQ(journal.Count("rundll32 /if"), 2);
}

// The box the page shows when rundll32 cannot be started comes from the installation
// worker with no owner; the message-box service gives it the wizard's frame, so it opens
// in front of the wizard instead of behind or apart from it.
TEST_F(FinishPageTest, ABoxWithoutOwnerFromTheWorkerBelongsToTheWizard) {
    shell.startFails = true;
    shell.startError = 2;  // ERROR_FILE_NOT_FOUND
    harness.boxes.Answer({ScriptedMessageBoxes::kShowOnScreen, IDOK});
    HWND frame = nullptr;
    HWND owner = nullptr;
    RunFinishPage([&](WizardDriver& wizard) {
        frame = wizard.Frame();
        EXPECT_EQ(platform::OwnerForUnowned(), frame);
        wizard.Press(PSBTN_FINISH);
        // The box belongs to the worker's thread: look among all top-level windows.
        HWND box = nullptr;
        for (int i = 0; i < 500 && !box; ++i, ::Sleep(20)) {
            for (HWND w = ::FindWindowExW(nullptr, nullptr, L"#32770", L"ERROR"); w;
                 w = ::FindWindowExW(nullptr, w, L"#32770", L"ERROR")) {
                if (::IsWindowVisible(w)) box = w;
            }
        }
        ASSERT_NE(box, nullptr) << "no box on screen";
        owner = ::GetWindow(box, GW_OWNER);
        EXPECT_FALSE(::IsWindowEnabled(frame)) << "the box holds the wizard";
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ASSERT_TRUE(harness.boxes.WaitForCount(2, 20000));
        wizard.Settle();
        EXPECT_EQ(wizard.Text(IDC_STATUS_TEXT), kFailed);
    });
    EXPECT_EQ(owner, frame);
    const auto boxes = harness.boxes.Shown();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, nullptr) << "the box itself names no window";
    EXPECT_EQ(boxes[0].text, L"The specified file was not found.");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(boxes[1].text, L"打印机驱动安装失败！");
    EXPECT_EQ(platform::OwnerForUnowned(), nullptr) << "the ended wizard owns no boxes";
}

// UpdateDriverForPlugAndPlayDevices sets RebootRequired when Windows must restart before
// the device uses the driver: the success box says so, and the wizard's outcome gives the
// program's exit code 3010 (ERROR_SUCCESS_REBOOT_REQUIRED). The update is owned by the
// wizard's frame (hwndParent).
TEST_F(FinishPageTest, ARestartTheUpdateAsksForIsNamedInTheSuccessBox) {
    devices.paths = {u"\\\\?\\usb#vid_12ab&pid_34cd#0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"};
    FakeDeviceIo io;
    const std::string deviceId = "MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;";
    io.replyBytes = std::string{0, static_cast<char>(deviceId.size() + 2)} + deviceId;
    // The port monitor's values of the printer's interface: USB001, the chosen port.
    FakeRegistry registry;
    registry.AddInterface(u"##?#USB#VID_12AB&PID_34CD#0001", u"USB\\VID_12AB&PID_34CD\\0001", 1, 1);
    pnp.rebootRequired = true;
    harness.boxes.Answer({ScriptedMessageBoxes::kShowOnScreen});
    HWND frame = nullptr;
    INT_PTR code = RunFinishPage([&](WizardDriver& wizard) {
        frame = wizard.Frame();
        wizard.Press(PSBTN_FINISH);
        ASSERT_NE(wizard.WaitForBox(L"OK", 20000), nullptr);
        wizard.Screenshot("finish-page-restart");
        ASSERT_TRUE(wizard.CloseBox(L"OK", IDOK));
        ASSERT_TRUE(wizard.WaitForEnd(20000));
    });
    EXPECT_EQ(code, 2);
    EXPECT_EQ(outcome, CStep5::LastOutcome::InstalledRestartRequired);
    ASSERT_EQ(pnp.updates.size(), 1u);
    EXPECT_EQ(pnp.updates[0].window, frame);
    EXPECT_EQ(pnp.updates[0].flags, 1u) << "interactive";
    ASSERT_EQ(harness.boxes.Shown().size(), 1u);
    const auto box = harness.boxes.Shown()[0];
    EXPECT_EQ(box.text, L"打印机驱动安装成功！\n\n请重新启动计算机后再使用打印机。");
    EXPECT_EQ(box.caption, L"OK");
    EXPECT_EQ(box.type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
}

// SetupCopyOEMInf checks the package before anything is removed; one Windows does not
// take (here TRUST_E_NOSIGNATURE) ends the installation with the failure box, which says
// that the old printer is still there, and the page stays usable.
TEST_F(FinishPageTest, APackageWindowsDoesNotTakeStopsBeforeTheRemoval) {
    spooler.AddPrinter(kModel);
    pnp.stagingError = 0x800B0100;
    INT_PTR code = RunFinishPage([&](WizardDriver& wizard) {
        wizard.Press(PSBTN_FINISH);
        ASSERT_TRUE(harness.boxes.WaitForCount(1, 20000));
        wizard.Settle();
        EXPECT_FALSE(wizard.Ended());
        EXPECT_EQ(wizard.Text(IDC_STATUS_TEXT), kFailed);
        ExpectButtonsUsable(wizard, true);
    });
    EXPECT_EQ(code, IDCANCEL);
    EXPECT_EQ(outcome, CStep5::LastOutcome::Failed);
    const auto boxes = harness.boxes.Shown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(
        boxes[0].text.rfind(L"打印机驱动安装失败！\n\nWindows 没有接受驱动程序包，原有的打印机没有被删除。\n"
                            L"error 0x800B0100",
                            0),
        0u)
        << Utf8(U16(boxes[0].text).c_str());
    EXPECT_EQ(boxes[0].caption, L"ERROR");
    EXPECT_TRUE(spooler.HasPrinter(kModel));
    EXPECT_TRUE(spooler.calls.empty()) << spooler.calls.front();
    EXPECT_TRUE(shell.starts.empty());
}

}  // namespace
