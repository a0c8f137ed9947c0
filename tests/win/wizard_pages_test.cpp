// The driver selection, port and options pages in the real wizard, driven in process
// under Wine: the attached USB printer, its port and the spooler are fakes of the seam,
// the catalogue is a file of a scratch medium, and the message boxes are answered by the
// test. Screenshots of the pages' states go to the build tree.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/printer_installer.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "tests/support/device_reply.h"
#include "tests/support/fake_devices.h"
#include "tests/support/fake_module.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_convert.h"
#include "tests/win/wizard_harness.h"
#include "wizard/framework/property_sheet.h"
#include "wizard/step1_welcome.h"
#include "wizard/step4_options.h"

namespace {

const wchar_t kStep1[] = L"科维打印机驱动安装步骤1";
const wchar_t kStep2[] = L"科维打印机驱动安装步骤2";
const wchar_t kStep3[] = L"科维打印机驱动安装步骤3";
const wchar_t kStep4[] = L"科维打印机驱动安装步骤4";

const char kCatalogue[] =
    "[PRINTER_SERIES]\nKV系列\nKP系列\n\n"
    "[KV系列]\nKV-100\nKV-200\nKV-300K\nKV-9100\n\n"
    "[KP系列]\nKP-50\n\n"
    "[PRINTER_NAME]\nKV-100=Korvel KV-100\nKV-200=Korvel KV-200\nKV-300K=Korvel KV-300K\n"
    "KV-9100=Korvel KV-9100\nKP-50=Korvel KP-50\n\n"
    "[PRINTER_TYPE]\nKorvel KV-100=24\nKorvel KV-200=24\nKorvel KV-300K=24\nKorvel KV-9100=9\n";

const std::vector<std::wstring> kSeriesModels = {L"KV-100", L"KV-200", L"KV-300K", L"KV-9100"};

const wchar_t kModelPrompt[] = L"请选择要安装的打印机驱动：";
const wchar_t kWarningText[] =
    L"\n检测到您所使用的打印机驱动程序不在本安装程序内！\n单击确定选用其它驱动安装，单击取消退出安装程序！";
const wchar_t kWarningCaption[] = L"欢迎使用科维打印机";
const wchar_t kNotFoundText[] =
    L"没有检测到与打印机连接的可用USB口，请手动选择端口，并按“下一步”确认驱动安装信息。";

const std::u16string kPrinterPath =
    u"\\\\?\\usb#vid_12ab&pid_34cd#0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const std::u16string kPrinterInstance = u"USB\\VID_12AB&PID_34CD\\0001";

class WizardPagesTest : public testing::Test {
protected:
    WizardPagesTest() {
        WriteCatalogue(kCatalogue);
        medium.Write("PrinterDriver/24pin/OEMPRINT.INF", "[Version]\n");
        medium.Write("PrinterDriver/9pin/OEMPRINT.INF", "[Version]\n");
        // The pages use the global installer: give it the paths of the scratch medium.
        theInstaller.Reset();
    }

    void WriteCatalogue(const std::string& utf8) { medium.Write("PrinterInfor.Inf", Utf16LeWithBom(utf8)); }

    // A USB printer reporting the model, served by the port monitor's port number.
    void AttachPrinter(const std::string& deviceId, std::uint32_t portNumber = 1) {
        interfaces.paths = {kPrinterPath};
        io.replyBytes = DeviceIdReply(deviceId);
        registry.AddInterface(u"##?#USB#VID_12AB&PID_34CD#0001", kPrinterInstance, 1, portNumber);
    }

    // From the welcome page to the page with the title.
    static bool WalkTo(WizardDriver& wizard, const wchar_t* title) {
        if (!wizard.WaitForPage(kStep1)) return false;
        for (const wchar_t* step : {kStep2, kStep3, kStep4}) {
            wizard.Press(PSBTN_NEXT);
            if (!wizard.WaitForPage(step)) return false;
            if (std::wstring(step) == title) return true;
        }
        return false;
    }

    TempDir medium;
    FakeModule module{medium.ProgramDir() + u"tamrin.exe"};
    FakeDeviceInterfaces interfaces;
    FakeDeviceIo io;
    FakeRegistry registry;
    FakeSpooler spooler;
    WizardHarness harness;
};

// ---- driver selection page ----

TEST_F(WizardPagesTest, WithoutPrinterTheSeriesIsListedAndNextStoresThePrinterNameOfTheFirst) {
    INT_PTR code = harness.Run([](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep2));
        EXPECT_EQ(wizard.Text(IDC_MODEL_PROMPT), kModelPrompt);
        EXPECT_EQ(wizard.ListItems(IDC_MODEL_LIST), kSeriesModels);
        EXPECT_EQ(wizard.ListSelection(IDC_MODEL_LIST), 0);
        EXPECT_TRUE(wizard.ButtonEnabled(kBackButton));
        EXPECT_TRUE(wizard.ButtonEnabled(kNextButton));
        EXPECT_TRUE(wizard.Screenshot("driver-series"));
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep3));
    });
    EXPECT_EQ(code, IDCANCEL);
    EXPECT_TRUE(harness.boxes.Shown().empty());
    EXPECT_EQ(Wide(theInstaller.modelName), L"Korvel KV-100");
}

TEST_F(WizardPagesTest, AttachedListedPrinterIsOfferedAlone) {
    AttachPrinter("MFG:KORVEL;CMD:ESC/P;MDL:KV-300K;CLS:PRINTER;");
    harness.Run([](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep2));
        EXPECT_EQ(wizard.ListItems(IDC_MODEL_LIST), std::vector<std::wstring>{L"KV-300K"});
        EXPECT_EQ(wizard.ListSelection(IDC_MODEL_LIST), 0);
        EXPECT_TRUE(wizard.Screenshot("driver-attached"));
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep3));
    });
    EXPECT_TRUE(harness.boxes.Shown().empty());
    EXPECT_EQ(Wide(theInstaller.modelName), L"Korvel KV-300K");
}

TEST_F(WizardPagesTest, UnlistedPrinterIsWarnedAboutAtEveryActivationAndOkListsTheSeries) {
    AttachPrinter("MFG:OTHER;MDL:ZX-1;");
    harness.boxes.Answer({IDOK, IDOK, IDOK});
    HWND driverPage = nullptr;
    harness.Run([&](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep2));
        driverPage = wizard.Page();
        EXPECT_EQ(harness.boxes.Shown().size(), 1u);
        EXPECT_EQ(wizard.ListItems(IDC_MODEL_LIST), kSeriesModels);
        EXPECT_EQ(wizard.ListSelection(IDC_MODEL_LIST), 0);

        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep3));
        wizard.Press(PSBTN_BACK);
        ASSERT_TRUE(wizard.WaitForPage(kStep2));
        EXPECT_EQ(harness.boxes.Shown().size(), 2u);
        EXPECT_EQ(wizard.ListItems(IDC_MODEL_LIST), kSeriesModels);

        // A printer that gives no model at all counts as unlisted too.
        wizard.OnUi([&] { io.replyBytes = DeviceIdReply("MFG:OTHER;CLS:PRINTER;"); });
        wizard.Press(PSBTN_BACK);
        ASSERT_TRUE(wizard.WaitForPage(kStep1));
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep2));
        EXPECT_EQ(harness.boxes.Shown().size(), 3u);
        EXPECT_EQ(wizard.ListItems(IDC_MODEL_LIST), kSeriesModels);
    });
    std::vector<ScriptedMessageBoxes::Box> boxes = harness.boxes.Shown();
    ASSERT_EQ(boxes.size(), 3u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.text, kWarningText);
        EXPECT_EQ(box.caption, kWarningCaption);
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OKCANCEL));
        EXPECT_EQ(box.owner, driverPage);
    }
}

TEST_F(WizardPagesTest, ReportedModelIsComparedWholeNotCutToANameField) {
    // A listed model of 199 characters, and a printer that reports it with one more.
    const std::string listed(199, 'L');
    WriteCatalogue("[KV系列]\n" + listed + "\n");
    AttachPrinter("MDL:" + listed + "X;");
    harness.boxes.Answer({IDOK});
    harness.Run([&](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep2));
        EXPECT_EQ(wizard.ListItems(IDC_MODEL_LIST), std::vector<std::wstring>{std::wstring(199, L'L')});
    });
    EXPECT_EQ(harness.boxes.Shown().size(), 1u) << "the printer's model is not the listed one";
}

TEST_F(WizardPagesTest, CancelInTheWarningEndsTheWizardWithThePageIndex) {
    AttachPrinter("MDL:ZX-1;");
    theInstaller.SetModelName(u"before");
    harness.boxes.Answer({IDCANCEL});
    INT_PTR code = harness.Run([](WizardDriver& wizard) {
        ASSERT_TRUE(wizard.WaitForPage(kStep1));
        wizard.Press(PSBTN_NEXT);
        EXPECT_TRUE(wizard.WaitForEnd());
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(harness.boxes.Shown().size(), 1u);
    EXPECT_EQ(Wide(theInstaller.modelName), L"before");
    // The port page was never reached.
    for (const std::string& call : spooler.calls)
        EXPECT_EQ(call.find("EnumPorts"), std::string::npos) << call;
}

// A keyboard user walks the wizard with Return alone: every activation gives the focus to
// the default button, Next, or Finish on the last page; Back keeps it there too, and Esc
// then cancels.
TEST_F(WizardPagesTest, ReturnAloneWalksTheWizardAndTheDefaultButtonHasTheFocusOnEveryPage) {
    INT_PTR code = harness.Run([](WizardDriver& wizard) {
        ASSERT_TRUE(wizard.WaitForPage(kStep1));
        EXPECT_EQ(wizard.FocusedId(), kNextButton) << "welcome page";
        for (const wchar_t* step : {kStep2, kStep3, kStep4}) {
            wizard.Key(VK_RETURN);
            ASSERT_TRUE(wizard.WaitForPage(step));
            EXPECT_EQ(wizard.FocusedId(), step == kStep4 ? kFinishButton : kNextButton)
                << testing::PrintToString(std::wstring(step));
        }
        wizard.Press(PSBTN_BACK);
        ASSERT_TRUE(wizard.WaitForPage(kStep3));
        EXPECT_EQ(wizard.FocusedId(), kNextButton) << "after Back";
        wizard.Key(VK_ESCAPE);
        EXPECT_TRUE(wizard.WaitForEnd());
    });
    EXPECT_EQ(code, IDCANCEL);
    EXPECT_EQ(Wide(theInstaller.modelName), L"Korvel KV-100");
}

TEST_F(WizardPagesTest, WarningBoxOnScreen) {
    AttachPrinter("MDL:ZX-1;");
    harness.boxes.Answer({ScriptedMessageBoxes::kShowOnScreen});
    harness.Run([&](WizardDriver& wizard) {
        ASSERT_TRUE(wizard.WaitForPage(kStep1));
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(harness.boxes.WaitForCount(1));
        ASSERT_NE(wizard.WaitForBox(kWarningCaption), nullptr);
        EXPECT_TRUE(wizard.Screenshot("driver-warning"));
        ASSERT_TRUE(wizard.CloseBox(kWarningCaption, IDOK));
        ASSERT_TRUE(wizard.WaitForPage(kStep2));
        EXPECT_EQ(wizard.ListItems(IDC_MODEL_LIST), kSeriesModels);
    });
}

TEST_F(WizardPagesTest, ChoiceIsNotKeptAfterBack) {
    harness.Run([](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep2));
        wizard.SelectListItem(IDC_MODEL_LIST, 2);
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep3));
        EXPECT_EQ(Wide(theInstaller.modelName), L"Korvel KV-300K");
        wizard.Press(PSBTN_BACK);
        ASSERT_TRUE(wizard.WaitForPage(kStep2));
        EXPECT_EQ(wizard.ListItems(IDC_MODEL_LIST), kSeriesModels);
        EXPECT_EQ(wizard.ListSelection(IDC_MODEL_LIST), 0);
    });
}

TEST_F(WizardPagesTest, WithoutSeriesTheListIsEmptyAndNextKeepsTheModel) {
    WriteCatalogue("[PRINTER_NAME]\nKV-100=Korvel KV-100\n");
    theInstaller.SetModelName(u"before");
    harness.Run([](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep2));
        EXPECT_TRUE(wizard.ListItems(IDC_MODEL_LIST).empty());
        EXPECT_EQ(wizard.ListSelection(IDC_MODEL_LIST), LB_ERR);
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep3));
    });
    EXPECT_EQ(Wide(theInstaller.modelName), L"before");
}

TEST_F(WizardPagesTest, AModelTheMediumCannotInstallIsNamedAndThePageStays) {
    // KV-100 has no printer name, KV-200 no print head, KV-9100 no INF for its 9-pin head.
    WriteCatalogue(
        "[KV系列]\nKV-100\nKV-200\nKV-9100\nKV-300K\n"
        "[PRINTER_NAME]\nKV-200=Korvel KV-200\nKV-9100=Korvel KV-9100\nKV-300K=Korvel KV-300K\n"
        "[PRINTER_TYPE]\nKorvel KV-9100=9\nKorvel KV-300K=24\n");
    std::filesystem::remove(medium.path() / "PrinterDriver" / "9pin" / "OEMPRINT.INF");
    theInstaller.SetModelName(u"before");
    harness.boxes.Answer({IDOK, IDOK, IDOK});
    HWND driverPage = nullptr;
    harness.Run([&](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep2));
        driverPage = wizard.Page();
        for (int item = 0; item < 3; ++item) {
            wizard.SelectListItem(IDC_MODEL_LIST, item);
            wizard.Press(PSBTN_NEXT);
            ASSERT_TRUE(harness.boxes.WaitForCount(static_cast<std::size_t>(item) + 1));
            EXPECT_TRUE(wizard.WaitForPage(kStep2)) << "the page stays";
        }
        // Another model can be chosen.
        wizard.SelectListItem(IDC_MODEL_LIST, 3);
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep3));
    });
    const std::wstring catalogue = Wide(theInstaller.printerInfoPath);
    std::vector<ScriptedMessageBoxes::Box> boxes = harness.boxes.Shown();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, L"打印机型号文件中没有型号“KV-100”的打印机名称（PRINTER_NAME）：\n" + catalogue +
                                 L"\n\n请选择其它型号。");
    EXPECT_EQ(boxes[1].text, L"打印机型号文件中没有型号“KV-200”的打印头类型（PRINTER_TYPE 应为 24 或 9）：\n" +
                                 catalogue + L"\n\n请选择其它型号。");
    EXPECT_EQ(boxes[2].text, L"找不到型号“KV-9100”的驱动程序文件：\n" + Wide(medium.ProgramDir()) +
                                 L"PrinterDriver\\9pin\\OEMPRINT.INF\n\n请选择其它型号。");
    for (const auto& box : boxes) {
        EXPECT_EQ(box.caption, L"ERROR");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(box.owner, driverPage);
    }
    EXPECT_EQ(Wide(theInstaller.modelName), L"Korvel KV-300K");
}

// ---- port page ----

TEST_F(WizardPagesTest, DetectedUsbPortIsStatedAndTheListHidden) {
    AttachPrinter("MDL:KV-100;", 1);
    spooler.ports = {u"LPT1:"};
    harness.Run([](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep3));
        EXPECT_EQ(wizard.Text(IDC_PORT_PROMPT),
                  L"软件自动检测到与打印机的USB连接\n端口：USB001\n\n请按“下一步”确认驱动安装信息。\n\n");
        EXPECT_FALSE(wizard.Visible(IDC_PORT_LIST));
        EXPECT_TRUE(wizard.ButtonEnabled(kBackButton));
        EXPECT_TRUE(wizard.ButtonEnabled(kNextButton));
        EXPECT_TRUE(wizard.Screenshot("port-detected"));
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep4));
    });
    EXPECT_EQ(Wide(theInstaller.portName), L"USB001");
}

TEST_F(WizardPagesTest, SpoolerPortsAreListedWithLpt1SelectedAndAChoiceIsNotKept) {
    spooler.ports = {u"COM1:", u"LPT1:", u"FILE:"};
    harness.Run([](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep3));
        EXPECT_EQ(wizard.Text(IDC_PORT_PROMPT), kNotFoundText);
        EXPECT_TRUE(wizard.Visible(IDC_PORT_LIST));
        EXPECT_EQ(wizard.ListItems(IDC_PORT_LIST), (std::vector<std::wstring>{L"COM1:", L"LPT1:", L"FILE:"}));
        EXPECT_EQ(wizard.ListSelection(IDC_PORT_LIST), 1);
        EXPECT_TRUE(wizard.Screenshot("port-list"));
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep4));
        EXPECT_EQ(Wide(theInstaller.portName), L"LPT1:");

        wizard.Press(PSBTN_BACK);
        ASSERT_TRUE(wizard.WaitForPage(kStep3));
        wizard.SelectListItem(IDC_PORT_LIST, 2);
        wizard.Press(PSBTN_BACK);
        ASSERT_TRUE(wizard.WaitForPage(kStep2));
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep3));
        EXPECT_EQ(wizard.ListItems(IDC_PORT_LIST).size(), 3u);
        EXPECT_EQ(wizard.ListSelection(IDC_PORT_LIST), 1);
    });
}

TEST_F(WizardPagesTest, PreferredPortIsFoundByACaseInsensitivePrefixOrElseTheFirstIsSelected) {
    spooler.ports = {u"COM3:", u"FILE:"};
    harness.Run([&](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep3));
        EXPECT_EQ(wizard.ListSelection(IDC_PORT_LIST), 0);
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep4));
        EXPECT_EQ(Wide(theInstaller.portName), L"COM3:");

        wizard.OnUi([&] { spooler.ports = {u"COM1:", u"XLPT1:", u"lpt1:(local)", u"LPT1:"}; });
        wizard.Press(PSBTN_BACK);
        ASSERT_TRUE(wizard.WaitForPage(kStep3));
        EXPECT_EQ(wizard.ListSelection(IDC_PORT_LIST), 2);
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep4));
        EXPECT_EQ(Wide(theInstaller.portName), L"lpt1:(local)");
    });
}

TEST_F(WizardPagesTest, SpoolerFailureGivesTheNineFixedPorts) {
    spooler.portScript.firstCallFails = true;
    spooler.portScript.firstCallError = 1722;  // RPC_S_SERVER_UNAVAILABLE
    harness.Run([](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep3));
        EXPECT_EQ(wizard.ListItems(IDC_PORT_LIST),
                  (std::vector<std::wstring>{L"LPT1:", L"LPT2:", L"LPT3:", L"COM1:", L"COM2:", L"COM3:",
                                             L"COM4:", L"COM5:", L"USB001"}));
        EXPECT_EQ(wizard.ListSelection(IDC_PORT_LIST), 0);
    });
}

TEST_F(WizardPagesTest, EmptySpoolerListSelectsNothingAndNextKeepsThePort) {
    theInstaller.SetPortName(u"before");
    harness.Run([](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep3));
        EXPECT_TRUE(wizard.ListItems(IDC_PORT_LIST).empty());
        EXPECT_EQ(wizard.ListSelection(IDC_PORT_LIST), LB_ERR);
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep4));
    });
    EXPECT_EQ(Wide(theInstaller.portName), L"before");
}

TEST_F(WizardPagesTest, DetectionThatFailsLaterShowsTheListAgain) {
    AttachPrinter("MDL:KV-200;", 7);
    spooler.ports = {u"COM1:", u"LPT1:"};
    harness.Run([&](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep3));
        EXPECT_FALSE(wizard.Visible(IDC_PORT_LIST));
        EXPECT_NE(wizard.Text(IDC_PORT_PROMPT).find(L"端口：USB007\n"), std::wstring::npos);

        wizard.OnUi([&] { interfaces.paths.clear(); });
        wizard.Press(PSBTN_BACK);
        ASSERT_TRUE(wizard.WaitForPage(kStep2));
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep3));
        EXPECT_TRUE(wizard.Visible(IDC_PORT_LIST));
        EXPECT_EQ(wizard.Text(IDC_PORT_PROMPT), kNotFoundText);
        EXPECT_EQ(wizard.ListItems(IDC_PORT_LIST), (std::vector<std::wstring>{L"COM1:", L"LPT1:"}));
        EXPECT_EQ(wizard.ListSelection(IDC_PORT_LIST), 1);
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep4));
    });
    EXPECT_EQ(Wide(theInstaller.portName), L"LPT1:");
}

// ---- the page sequence ----

TEST_F(WizardPagesTest, OptionsPageIsNeverShown) {
    harness.Run([&](WizardDriver& wizard) {
        ASSERT_TRUE(WalkTo(wizard, kStep4));
        // The fourth step is the finish page (its status line), not the options page.
        EXPECT_NE(::GetDlgItem(wizard.Page(), IDC_STATUS_TEXT), nullptr);
        EXPECT_EQ(::GetDlgItem(wizard.Page(), IDC_INSTALLED_LIST), nullptr);
        EXPECT_FALSE(wizard.ButtonVisible(kNextButton));
        for (const wchar_t* step : {kStep3, kStep2, kStep1}) {
            wizard.Press(PSBTN_BACK);
            ASSERT_TRUE(wizard.WaitForPage(step));
        }
    });
    // The options page lists installed printers when it is activated; it never was.
    for (const std::string& call : spooler.calls)
        EXPECT_EQ(call.find("EnumPrinters"), std::string::npos) << call;
}

// ---- options page, in a sheet of its own ----

class OptionsPageTest : public WizardPagesTest {
protected:
    INT_PTR RunOptions(const std::function<void(WizardDriver&)>& script) {
        CPropertySheet sheet(L"options", nullptr, 0);
        CStep4 options;
        CStep1 next;
        return harness.RunWizard(sheet, {&options, &next}, &options, script);
    }

    int ItemCheck(WizardDriver& wizard, int index) {
        int check = -1;
        HWND list = ::GetDlgItem(wizard.Page(), IDC_INSTALLED_LIST);
        wizard.OnUi([&] { check = static_cast<int>(::SendMessageW(list, LB_GETITEMDATA, index, 0)); });
        return check;
    }
};

TEST_F(OptionsPageTest, FreshPageWithoutInstalledPrinters) {
    theInstaller.SetModelName(u"Korvel KV-100");
    spooler.AddPrinter(u"Korvel KV-1000");
    RunOptions([](WizardDriver& wizard) {
        ASSERT_TRUE(wizard.WaitForPage(kStep4));
        EXPECT_TRUE(wizard.Checked(IDC_DEFAULT_YES));
        EXPECT_FALSE(wizard.Checked(IDC_DEFAULT_NO));
        EXPECT_FALSE(wizard.Checked(IDC_TEST_PAGE_YES));
        EXPECT_TRUE(wizard.Checked(IDC_TEST_PAGE_NO));
        EXPECT_EQ(wizard.Text(IDC_OPTIONS_NOTE), L"");
        EXPECT_TRUE(wizard.ListItems(IDC_INSTALLED_LIST).empty());
        EXPECT_EQ(wizard.ListSelection(IDC_INSTALLED_LIST), LB_ERR);
        EXPECT_TRUE(wizard.ButtonEnabled(kBackButton));
        EXPECT_TRUE(wizard.ButtonEnabled(kNextButton));
    });
}

TEST_F(OptionsPageTest, ListsThePrintersOfTheModelAndNextAlwaysSetsDefaultWithoutTestPage) {
    theInstaller.SetModelName(u"Korvel KV-100");
    theInstaller.SetDefaultFlag(0);
    theInstaller.SetTestPageFlag(1);
    spooler.AddPrinter(u"Korvel KV-100");
    spooler.AddPrinter(u"Other");
    spooler.AddPrinter(u"Korvel KV-100 (副本 1)");
    RunOptions([&](WizardDriver& wizard) {
        ASSERT_TRUE(wizard.WaitForPage(kStep4));
        EXPECT_EQ(wizard.ListItems(IDC_INSTALLED_LIST),
                  (std::vector<std::wstring>{L"Korvel KV-100", L"Korvel KV-100 (副本 1)"}));
        EXPECT_EQ(wizard.ListSelection(IDC_INSTALLED_LIST), 0);
        EXPECT_EQ(ItemCheck(wizard, 0), 0);
        EXPECT_EQ(ItemCheck(wizard, 1), 0);

        // The check list box: space toggles the selected entry's mark.
        HWND list = ::GetDlgItem(wizard.Page(), IDC_INSTALLED_LIST);
        wizard.OnUi([&] { ::SendMessageW(list, WM_CHAR, L' ', 0); });
        EXPECT_EQ(ItemCheck(wizard, 0), 1);
        EXPECT_EQ(ItemCheck(wizard, 1), 0);
        EXPECT_TRUE(wizard.Screenshot("options"));
        // A click on an entry's check box toggles its mark; a click on its text selects it.
        auto clickAt = [&](int index, bool onCheckBox) {
            wizard.OnUi([&] {
                RECT entry = {};
                ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&entry));
                int x = onCheckBox ? entry.left + 4 : entry.right - 4;
                LPARAM point = MAKELPARAM(x, (entry.top + entry.bottom) / 2);
                ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
                ::SendMessageW(list, WM_LBUTTONUP, 0, point);
            });
        };
        clickAt(1, true);
        EXPECT_EQ(ItemCheck(wizard, 1), 1);
        clickAt(1, false);
        EXPECT_EQ(ItemCheck(wizard, 1), 1);
        EXPECT_EQ(wizard.ListSelection(IDC_INSTALLED_LIST), 1);
        clickAt(1, true);
        EXPECT_EQ(ItemCheck(wizard, 1), 0);

        wizard.Click(IDC_DEFAULT_NO);
        wizard.Click(IDC_TEST_PAGE_YES);
        wizard.Press(PSBTN_NEXT);
        ASSERT_TRUE(wizard.WaitForPage(kStep1));
        EXPECT_EQ(theInstaller.GetDefaultFlag(), 1);
        EXPECT_EQ(theInstaller.GetTestPageFlag(), 0);

        // The choices shown survive leaving the page; the list is refilled.
        wizard.Press(PSBTN_BACK);
        ASSERT_TRUE(wizard.WaitForPage(kStep4));
        EXPECT_TRUE(wizard.Checked(IDC_DEFAULT_NO));
        EXPECT_TRUE(wizard.Checked(IDC_TEST_PAGE_YES));
        EXPECT_EQ(wizard.ListItems(IDC_INSTALLED_LIST).size(), 2u);
        EXPECT_EQ(ItemCheck(wizard, 0), 0);
    });
}

TEST_F(OptionsPageTest, TheWholeModelNameIsLookedFor) {
    // 199 characters, whose first 99 are also the name of another printer: a name cut
    // to 99 characters would list both.
    std::u16string longName = std::u16string(99, u'A') + u" (" + std::u16string(98, u'B');
    ASSERT_EQ(longName.size(), 199u);
    theInstaller.SetModelName(longName.c_str());
    spooler.AddPrinter(std::u16string(99, u'A'));
    spooler.AddPrinter(longName);
    RunOptions([&](WizardDriver& wizard) {
        ASSERT_TRUE(wizard.WaitForPage(kStep4));
        EXPECT_EQ(wizard.ListItems(IDC_INSTALLED_LIST), std::vector<std::wstring>{Wide(longName.c_str())});
    });
}

}  // namespace
