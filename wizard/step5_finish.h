// Step 4 of the wizard, the finish page: the summary whose Finish button installs.
//
// Finish runs the installation flow (the removal of the model's printers, then the
// installation) on a worker thread. The page observes the flow: the worker sends
// WM_PAGE_REFRESH for each step it shows and gives the outcome through installState,
// which a 200 ms timer polls. The interface thread never waits for the worker while it
// may still send. From Finish until the outcome is shown the wizard cannot be
// closed in any way (Cancel, Esc, the close box, Alt+F4): it would vanish while the
// installation goes on unseen.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/install/installation_flow.h"
#include "engine/messages/messages.h"
#include "platform/kernel_objects.h"
#include "wizard/framework/property_page.h"

// Sent by the installation worker: push the page's strings into its controls. Clear of
// the dialog messages that start at WM_USER (DM_GETDEFID ...).
constexpr UINT WM_PAGE_REFRESH = WM_USER + 100;
// Posted by the install worker as its last act: the outcome is there. The page takes it
// from its poll timer; this message takes its place only when no timer could be set.
constexpr UINT WM_PAGE_OUTCOME = WM_USER + 101;

class CStep5 : public CPropertyPage, private engine::FlowObserver {
public:
    CStep5();
    ~CStep5() override;

    enum class LastOutcome { None, Installed, InstalledRestartRequired, Failed };
    // How the last installation attempt ended; None when there was none.
    LastOutcome Outcome() const { return lastOutcome; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnSetActive() override;
    BOOL OnWizardFinish() override;
    // FALSE while the removal or the installation runs.
    BOOL OnQueryCancel() override;
    void OnTimer(UINT_PTR id) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Back and Finish with Cancel and the window menu's Close enabled, or a disabled Finish
    // alone with both disabled.
    void EnableWizardButtons(bool enable);
    // The worker: runs the installation flow; its argument is the page. 0 when installed.
    static DWORD WINAPI InstallThread(LPVOID page);
    // The flow's steps and its failed starts of rundll32, on the worker.
    void OnStep(engine::FlowStep step) override;
    void OnStartFailure(engine::MessageId why) override;
    void OnPackageNotStaged(platform::Dword error) override;
    // On a worker: sets the status line and waits until the page has shown it.
    void ReportStatus(engine::MessageId status);
    // Waits for the installation worker, which has written its outcome, and closes it.
    void ReleaseInstallWorker();
    // Shows the worker's outcome, once it has one, and gives the wizard back to the user.
    void TakeOutcome();

    std::wstring introText;
    std::wstring driverText;
    std::wstring portText;
    std::wstring statusLabel;
    std::wstring statusText;
    // 0 while nothing is decided, 1 installed, 2 installed with a restart required, -1
    // failed; written once by the worker as its last act.
    std::atomic<std::int32_t> installState{0};
    // Why the installation failed, shown under the failure box's text; written by the
    // worker before installState.
    std::u16string failureDetail;
    UINT_PTR timerId = 0;
    // From Finish until the outcome is taken from the worker; interface thread only.
    bool working = false;
    LastOutcome lastOutcome = LastOutcome::None;
    // What Finish asked for; read by the worker while it runs.
    engine::InstallRequest request;
    platform::KernelObject installWorker;
};
