// The property-sheet layer of the wizard against the system's property sheet: the
// callbacks a page overrides arrive in the right order with the right meaning, data
// exchange runs both ways, and EndDialog / Finish / Cancel end DoModal with their codes.
// The pages drive the wizard themselves by posting button presses to the frame.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <utility>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wizard/framework/property_page.h"
#include "wizard/framework/property_sheet.h"

namespace {

constexpr UINT kFirstTemplate = 200;
constexpr UINT kSecondTemplate = 201;
constexpr int kTextControl = 100;
constexpr UINT_PTR kWatchdogTimer = 99;

std::vector<std::string> events;

class TestPage : public CPropertyPage {
public:
    TestPage(UINT templateId, std::string name) : CPropertyPage(templateId), name(std::move(name)) {}

    // Runs at each activation (count from 1), after the page set its buttons.
    std::function<void(TestPage&, int)> onActive;
    // How many Finish presses the page refuses before it accepts one.
    int refusals = 0;
    // How many cancellations the page refuses before it accepts one, and how many it was
    // asked about.
    int cancelRefusals = 0;
    int cancelQueries = 0;
    std::wstring text;
    // The sender and code of every notification that reached OnMessage.
    std::vector<std::pair<HWND, UINT>> notifications;

    void Press(int button) { ::PostMessageW(GetParentFrame(), PSM_PRESSBUTTON, button, 0); }
    void End(int code) { GetSheet()->EndDialog(code); }
    void Buttons(DWORD flags) { SetWizardButtons(flags); }

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, kTextControl, text); }
    BOOL OnInitDialog() override {
        events.push_back(name + ":init");
        // A wizard that hangs would hang the test run; give up after 20 s.
        SetTimer(kWatchdogTimer, 20000);
        return CPropertyPage::OnInitDialog();
    }
    BOOL OnSetActive() override {
        events.push_back(name + ":active");
        BOOL result = CPropertyPage::OnSetActive();
        if (onActive) onActive(*this, ++activations);
        return result;
    }
    LRESULT OnWizardNext() override {
        events.push_back(name + ":next");
        return CPropertyPage::OnWizardNext();
    }
    LRESULT OnWizardBack() override {
        events.push_back(name + ":back");
        return CPropertyPage::OnWizardBack();
    }
    BOOL OnWizardFinish() override {
        events.push_back(name + ":finish");
        if (refusals == 0) return TRUE;
        --refusals;
        return FALSE;
    }
    BOOL OnQueryCancel() override {
        ++cancelQueries;
        if (cancelRefusals == 0) return TRUE;
        --cancelRefusals;
        return FALSE;
    }
    bool OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT&) override {
        if (message == WM_NOTIFY) {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            notifications.emplace_back(header.hwndFrom, header.code);
        }
        return false;
    }
    void OnTimer(UINT_PTR timerId) override {
        if (timerId != kWatchdogTimer) return;
        events.push_back(name + ":watchdog");
        Press(PSBTN_CANCEL);
    }

private:
    std::string name;
    int activations = 0;
};

class PropertySheetTest : public ::testing::Test {
protected:
    void SetUp() override { events.clear(); }

    TestPage first{kFirstTemplate, "1"};
    TestPage second{kSecondTemplate, "2"};
    CPropertySheet sheet{L"test", nullptr, 0};

    INT_PTR RunWizard() {
        sheet.AddPage(&first);
        sheet.AddPage(&second);
        sheet.SetWizardMode();
        return sheet.DoModal();
    }
};

TEST_F(PropertySheetTest, NextAndBackActivateThePagesAnewAndEndDialogGivesItsCode) {
    first.onActive = [](TestPage& page, int) {
        page.Buttons(PSWIZB_NEXT);
        page.Press(PSBTN_NEXT);
    };
    second.onActive = [](TestPage& page, int activation) {
        page.Buttons(PSWIZB_BACK | PSWIZB_NEXT);
        if (activation == 1) {
            page.Press(PSBTN_BACK);
        } else {
            page.End(7);
        }
    };
    EXPECT_EQ(RunWizard(), 7);
    EXPECT_EQ(events, (std::vector<std::string>{"1:init", "1:active", "1:next", "2:init", "2:active", "2:back",
                                                "1:active", "1:next", "2:active"}));
}

TEST_F(PropertySheetTest, StartsOnThePageSetBeforeTheSheetRuns) {
    second.onActive = [](TestPage& page, int) { page.End(3); };
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.SetWizardMode();
    EXPECT_TRUE(sheet.SetActivePage(&second));
    EXPECT_EQ(sheet.DoModal(), 3);
    EXPECT_EQ(events, (std::vector<std::string>{"2:init", "2:active"}));
}

TEST_F(PropertySheetTest, FinishThatIsRefusedKeepsTheWizardOpen) {
    first.onActive = [](TestPage& page, int) { page.Press(PSBTN_NEXT); };
    second.refusals = 1;
    second.onActive = [](TestPage& page, int) {
        page.Buttons(PSWIZB_BACK | PSWIZB_FINISH);
        page.Press(PSBTN_FINISH);
        page.Press(PSBTN_FINISH);
    };
    EXPECT_EQ(RunWizard(), IDOK);
    EXPECT_EQ(events, (std::vector<std::string>{"1:init", "1:active", "1:next", "2:init", "2:active", "2:finish",
                                                "2:finish"}));
}

TEST_F(PropertySheetTest, CancelEndsWithIdCancel) {
    first.onActive = [](TestPage& page, int) { page.Press(PSBTN_CANCEL); };
    EXPECT_EQ(RunWizard(), IDCANCEL);
    EXPECT_EQ(events, (std::vector<std::string>{"1:init", "1:active"}));
}

// PSN_QUERYCANCEL: TRUE from the page keeps the sheet open (PSN_QUERYCANCEL notification
// code, Microsoft Learn); OnQueryCancel says it the other way round, as OnWizardFinish.
TEST_F(PropertySheetTest, CancelThatIsRefusedKeepsTheSheetOpenAndWMCloseAsksToo) {
    first.cancelRefusals = 2;
    first.onActive = [](TestPage& page, int) {
        page.Press(PSBTN_CANCEL);
        ::PostMessageW(page.GetParentFrame(), WM_CLOSE, 0, 0);
        page.Press(PSBTN_CANCEL);
    };
    EXPECT_EQ(RunWizard(), IDCANCEL);
    EXPECT_EQ(first.cancelQueries, 3);
    EXPECT_EQ(events, (std::vector<std::string>{"1:init", "1:active"}));
}

TEST_F(PropertySheetTest, DataExchangeFillsTheControlsAndReadsThemBackWhenThePageIsLeft) {
    first.text = L"from the member";
    std::wstring shown;
    first.onActive = [&shown](TestPage& page, int) {
        wchar_t buffer[64] = {};
        ::GetDlgItemTextW(page.GetSafeHwnd(), kTextControl, buffer, 64);
        shown = buffer;
        ::SetDlgItemTextW(page.GetSafeHwnd(), kTextControl, L"typed by the user");
        page.Press(PSBTN_NEXT);
    };
    second.onActive = [](TestPage& page, int) { page.End(1); };
    EXPECT_EQ(RunWizard(), 1);
    EXPECT_EQ(shown, L"from the member");
    EXPECT_EQ(first.text, L"typed by the user");
}

// The sheet names itself as the sender of its notifications (the tests above pass only
// because Wine does, as Windows documents). The same codes from any other window reach
// OnMessage, never the callbacks.
TEST_F(PropertySheetTest, SheetCodesFromAnotherWindowAreLeftToOnMessage) {
    std::vector<std::pair<HWND, UINT>> sent;
    HWND frame = nullptr;
    first.onActive = [&](TestPage& page, int activation) {
        if (activation != 1) return;
        frame = page.GetParentFrame();
        HWND control = ::GetDlgItem(page.GetSafeHwnd(), kTextControl);
        HWND stranger = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(control, nullptr);
        ASSERT_NE(stranger, nullptr);
        auto notify = [&](HWND from, UINT code) {
            PSHNOTIFY notification = {};
            notification.hdr.hwndFrom = from;
            notification.hdr.idFrom = kTextControl;
            notification.hdr.code = code;
            ::SendMessageW(page.GetSafeHwnd(), WM_NOTIFY, kTextControl, reinterpret_cast<LPARAM>(&notification));
        };
        for (HWND from : {control, stranger, page.GetSafeHwnd(), static_cast<HWND>(nullptr)}) {
            for (UINT code : {PSN_SETACTIVE, PSN_KILLACTIVE, PSN_WIZBACK, PSN_WIZNEXT, PSN_WIZFINISH}) {
                notify(from, code);
                sent.emplace_back(from, code);
            }
        }
        ::DestroyWindow(stranger);
        // The same code from the sheet is the sheet's.
        notify(frame, PSN_WIZNEXT);
        page.End(5);
    };
    EXPECT_EQ(RunWizard(), 5);
    EXPECT_EQ(events, (std::vector<std::string>{"1:init", "1:active", "1:next"}));
    std::vector<std::pair<HWND, UINT>> fromOthers;
    for (const auto& notification : first.notifications) {
        if (notification.first != frame) fromOthers.push_back(notification);
    }
    EXPECT_EQ(fromOthers, sent);
}

}  // namespace
