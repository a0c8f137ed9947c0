// Drives the real setup wizard in this process, for the tests of its pages.
//
// Usage (install the fakes of the seam first; they stay in place while the wizard runs):
//
//     WizardHarness harness;                      // also fakes the message boxes
//     harness.boxes.Answer({IDCANCEL});           // optional: answers, in order
//     INT_PTR code = harness.Run([](WizardDriver& wizard) {
//         ASSERT_TRUE(wizard.WaitForPage(L"科维打印机驱动安装步骤1"));
//         wizard.Press(PSBTN_NEXT);
//         ASSERT_TRUE(wizard.WaitForPage(L"科维打印机驱动安装步骤2"));
//         EXPECT_EQ(wizard.ListItems(IDC_MODEL_LIST).size(), 3u);
//     });
//
// Run builds the wizard as the application does (CSetupWizard), runs DoModal on the
// calling thread while the script runs on a second thread, and returns DoModal's end
// code. When the script is over and the wizard still runs, Run closes any box still open
// and presses Cancel. RunSheet does the same for a sheet the test built itself.
//
// Every read of the windows runs on the wizard's thread (OnUi), so the script may also
// change the fakes there between two steps. Waits are bounded (kWaitMs) and give up at
// once when the wizard has ended.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/services.h"
// Also the common controls' property-sheet messages (PSBTN_ ...).
#include "wizard/framework/property_page.h"
#include "wizard/framework/property_sheet.h"

constexpr DWORD kWaitMs = 10000;

// The frame's buttons in wizard mode.
constexpr int kBackButton = 0x3023;
constexpr int kNextButton = 0x3024;
constexpr int kFinishButton = 0x3025;
constexpr int kCancelButton = IDCANCEL;

// Message boxes of the wizard: every box is recorded, and answered from a script.
class ScriptedMessageBoxes final : public platform::MessageBoxes {
public:
    // An answer that shows the real box instead; the script closes it (CloseBox).
    static constexpr int kShowOnScreen = 0;

    struct Box {
        HWND owner;
        std::wstring text, caption;
        UINT type;
    };

    ScriptedMessageBoxes();

    // The answers to the next boxes, in order (IDOK, IDCANCEL, ... or kShowOnScreen).
    // A box with no answer left is answered IDOK.
    void Answer(std::vector<int> answers);
    std::vector<Box> Shown() const;
    // Waits until at least count boxes have been shown; false on time-out.
    bool WaitForCount(std::size_t count, DWORD timeoutMs = kWaitMs) const;

    int MessageBoxW(platform::Handle owner, const char16_t* text, const char16_t* caption,
                    platform::Dword type) override;

private:
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::deque<int> answers;
    std::vector<Box> shown;
    platform::ScopedService<platform::MessageBoxes> scope;
};

class WizardDriver {
public:
    // Runs f on the wizard's thread and waits for it.
    void OnUi(const std::function<void()>& f);

    // The wizard's window, nullptr when it is not (or no longer) there.
    HWND Frame();
    // The current page's window, and its title (the frame's caption in wizard mode).
    HWND Page();
    std::wstring Title();
    bool Ended() const;

    // Waits until the wizard shows the page with this title and has handled every
    // message posted so far (the page's button flags). False on time-out or end, which
    // is also recorded as a failure of the test.
    bool WaitForPage(const wchar_t* title, DWORD timeoutMs = kWaitMs);
    // Waits until the wizard has ended (DoModal returned).
    bool WaitForEnd(DWORD timeoutMs = kWaitMs);
    // Waits until every message posted to the wizard's thread so far has been handled.
    void Settle();

    // Presses a button of the frame (PSBTN_BACK, PSBTN_NEXT, PSBTN_FINISH, PSBTN_CANCEL).
    void Press(int psbtn);
    // Posts a message to the frame, as the system would (WM_CLOSE, WM_SYSCOMMAND ...).
    void PostToFrame(UINT message, WPARAM wParam, LPARAM lParam);
    // Presses and releases a key (VK_RETURN, VK_ESCAPE ...) in the window that has the
    // keyboard focus, or in the frame when none has it; the wizard's dialog manager
    // handles it as typed.
    void Key(UINT virtualKey);
    // The window with the keyboard focus on the wizard's thread, and its control id (0
    // for none).
    HWND Focus();
    int FocusedId();

    // Controls of the current page.
    std::wstring Text(int id);
    bool Visible(int id);
    std::vector<std::wstring> ListItems(int id);
    int ListSelection(int id);  // LB_ERR when nothing is selected
    void SelectListItem(int id, int index);
    bool Checked(int id);  // a radio button or check box
    void Click(int id);    // a button of the page, as the user would (BM_CLICK)

    // The frame's buttons (kBackButton ...): shown and enabled.
    bool ButtonEnabled(int id);
    bool ButtonVisible(int id);

    // A box shown on screen (kShowOnScreen) with this caption: waits for it, then
    // presses the button (IDOK, IDCANCEL). False when no such box appeared.
    bool CloseBox(const wchar_t* caption, int button, DWORD timeoutMs = kWaitMs);
    // The box on screen with this caption (nullptr: any box), waited for; nullptr when
    // none appeared.
    HWND WaitForBox(const wchar_t* caption, DWORD timeoutMs = kWaitMs);
    HWND FindBox(const wchar_t* caption);

    // Redraws everything and writes a picture of the screen to NAME.png in the folder
    // named by TAMRIN_SCREENSHOTS (nothing when it is not set). False when it failed.
    bool Screenshot(const std::string& name);

private:
    friend class WizardHarness;
    DWORD uiThread = 0;
    HWND helper = nullptr;
    CPropertySheet* sheet = nullptr;
    volatile LONG ended = 0;
};

class WizardHarness {
public:
    WizardHarness();
    ~WizardHarness();
    WizardHarness(const WizardHarness&) = delete;
    WizardHarness& operator=(const WizardHarness&) = delete;

    // Runs the application's wizard; the end code of DoModal.
    INT_PTR Run(const std::function<void(WizardDriver&)>& script);
    // Runs a sheet that the caller built (with its pages added and its flags set).
    INT_PTR RunSheet(CPropertySheet& sheet, const std::function<void(WizardDriver&)>& script);
    // Adds the pages to an empty sheet, makes it a wizard started on the page start and
    // runs it.
    INT_PTR RunWizard(CPropertySheet& sheet, std::initializer_list<CPropertyPage*> pages, CPropertyPage* start,
                      const std::function<void(WizardDriver&)>& script);

    ScriptedMessageBoxes boxes;

private:
    WizardDriver driver;
};
