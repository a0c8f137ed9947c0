#include "wizard/step5_finish.h"

#include "engine/medium/medium_messages.h"
#include "engine/medium/preparation.h"
#include "engine/messages/messages.h"
#include "engine/printer_installer.h"
#include "engine/log/setup_log.h"
#include "platform/scoped_handle.h"
#include "platform/spooler.h"
#include "resources/resource.h"
#include "wizard/framework/property_sheet.h"
#include "wizard/message_boxes.h"
#include "wizard/run_log.h"
#include "wizard/utf16.h"

namespace {

// The wizard's end code after a successful installation (1 is the driver page's).
constexpr int kEndCodeInstalled = 2;

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollPeriodMs = 200;
constexpr DWORD kPauseBeforeSuccessMs = 100;

// The model name as the engine holds it, whole (the field has kNameCapacity characters).
std::u16string ModelName() {
    char16_t buffer[kNameCapacity] = {};
    theInstaller.GetModelName(buffer, kNameCapacity);
    return buffer;
}

std::u16string PortName() {
    char16_t buffer[kNameCapacity] = {};
    theInstaller.GetPortName(buffer, kNameCapacity);
    return buffer;
}

}  // namespace

CStep5::CStep5() : CPropertyPage(IDD_FINISH_PAGE) {}

CStep5::~CStep5() { ReleaseInstallWorker(); }

// The page only shows its strings: nothing is read back from the controls.
void CStep5::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    if (dx->saveAndValidate) return;
    DDX_Text(dx, IDC_INTRO_TEXT, introText);
    DDX_Text(dx, IDC_DRIVER_TEXT, driverText);
    DDX_Text(dx, IDC_PORT_TEXT, portText);
    DDX_Text(dx, IDC_STATUS_LABEL, statusLabel);
    DDX_Text(dx, IDC_STATUS_TEXT, statusText);
}

BOOL CStep5::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    driverText = Wide(engine::ShownText({engine::MessageId::FinishDriver, {ModelName()}}));
    portText = Wide(engine::ShownText({engine::MessageId::FinishPort, {PortName()}}));
    introText = Wide(engine::ShownText(engine::MessageId::FinishIntro));
    statusLabel = Wide(engine::ShownText(engine::MessageId::StatusLabel));
    statusText.clear();
    UpdateData(FALSE);
    return CPropertyPage::OnSetActive();
}

BOOL CStep5::OnWizardFinish() {
    theInstaller.SetDefaultFlag(1);
    theInstaller.SetTestPageFlag(0);
    engine::InstallChoices choices;
    choices.port = PortName();
    choices.makeDefault = theInstaller.GetDefaultFlag() != 0;
    choices.testPage = theInstaller.GetTestPageFlag() != 0;
    const std::u16string model = ModelName();
    engine::Preparation prepared =
        engine::PreparePrinter(theInstaller.Medium(), model.c_str(), choices, engine::FindAttachedPrinters());
    // A model this medium cannot install is named before anything is removed. Without a
    // model there is nothing to name: the installation fails and says so.
    if (!model.empty() && prepared.problem != engine::ModelProblem::None) {
        ShowBox(GetSafeHwnd(), engine::ShownText(engine::ModelProblemMessage(prepared, model)),
                engine::MessageId::ErrorCaption, MB_ICONERROR);
        return FALSE;
    }
    working = true;
    EnableWizardButtons(false);
    request = prepared.request;
    failureDetail.clear();

    ReleaseInstallWorker();
    installState = 0;
    installWorker.reset(::CreateThread(nullptr, 0, &CStep5::InstallThread, this, 0, nullptr));
    if (!installWorker) {
        statusText = Wide(engine::ShownText(engine::MessageId::StatusFailed));
        UpdateData(FALSE);
        installState = -1;
    }
    timerId = SetTimer(kPollTimer, kPollPeriodMs);
    // Without a timer the worker's own message brings the outcome; without a worker the
    // outcome is already there.
    if (!timerId && !installWorker) ::PostMessageW(GetSafeHwnd(), WM_PAGE_OUTCOME, 0, 0);
    return FALSE;
}

DWORD WINAPI CStep5::InstallThread(LPVOID argument) {
    auto* page = static_cast<CStep5*>(argument);
    engine::FlowResult result = engine::RunInstallation(page->request, *page, RunLog());
    const bool installed = result != engine::FlowResult::Failed;
    // The success status line stays in sight a moment before the box covers it.
    if (installed) ::Sleep(kPauseBeforeSuccessMs);
    page->installState = !installed ? -1 : result == engine::FlowResult::DoneRestartRequired ? 2 : 1;
    ::PostMessageW(page->GetSafeHwnd(), WM_PAGE_OUTCOME, 0, 0);
    return installed ? 0 : 1;
}

void CStep5::OnStep(engine::FlowStep step) {
    switch (step) {
        case engine::FlowStep::Removing: ReportStatus(engine::MessageId::StatusRemoving); break;
        case engine::FlowStep::Installing: ReportStatus(engine::MessageId::StatusInstalling); break;
        case engine::FlowStep::Installed: ReportStatus(engine::MessageId::StatusInstalled); break;
        case engine::FlowStep::Failed: ReportStatus(engine::MessageId::StatusFailed); break;
    }
}

void CStep5::OnStartFailure(engine::MessageId why) { ShowStartFailure(why); }

// A package Windows does not take stops the installation before anything is removed:
// the failure box says so, with the system's reason.
void CStep5::OnPackageNotStaged(platform::Dword error) {
    failureDetail =
        engine::ShownText({engine::MessageId::PackageNotStagedDetail, {engine::ErrorText(error)}});
}

void CStep5::ReportStatus(engine::MessageId status) {
    statusText = Wide(engine::ShownText(status));
    ::SendMessageW(GetSafeHwnd(), WM_PAGE_REFRESH, 0, 0);
}

void CStep5::ReleaseInstallWorker() {
    if (!installWorker) return;
    ::WaitForSingleObject(installWorker.get(), INFINITE);
    installWorker.reset();
}

void CStep5::OnTimer(UINT_PTR id) {
    if (id == timerId) TakeOutcome();
}

void CStep5::TakeOutcome() {
    const std::int32_t state = installState;
    if (state == 0) return;
    if (timerId) KillTimer(timerId);
    // The worker wrote its outcome as its last act and sends nothing more.
    ReleaseInstallWorker();
    working = false;
    lastOutcome = state < 0    ? LastOutcome::Failed
                  : state == 2 ? LastOutcome::InstalledRestartRequired
                               : LastOutcome::Installed;
    if (state < 0) {
        ShowBox(GetSafeHwnd(), engine::ShownText(engine::MessageId::StatusFailed) + failureDetail,
                engine::MessageId::ErrorCaption, MB_ICONERROR);
    } else {
        const engine::MessageId box =
            state == 2 ? engine::MessageId::InstalledRestartBox : engine::MessageId::InstalledBox;
        ShowBox(GetSafeHwnd(), engine::ShownText(box), engine::MessageId::OkCaption, MB_ICONINFORMATION);
        if (CPropertySheet* frame = GetSheet()) frame->EndDialog(kEndCodeInstalled);
    }
    installState = 0;
    EnableWizardButtons(true);
}

BOOL CStep5::OnQueryCancel() { return working ? FALSE : TRUE; }

bool CStep5::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message == WM_PAGE_OUTCOME) {
        if (!timerId && working) TakeOutcome();
        result = 0;
        return true;
    }
    if (message != WM_PAGE_REFRESH) return false;
    UpdateData(FALSE);
    result = 1;
    return true;
}

void CStep5::EnableWizardButtons(bool enable) {
    SetWizardButtons(enable ? (PSWIZB_BACK | PSWIZB_FINISH) : PSWIZB_DISABLEDFINISH);
    HWND frame = GetParentFrame();
    if (!frame) return;
    if (HWND cancel = ::GetDlgItem(frame, IDCANCEL)) ::EnableWindow(cancel, enable ? TRUE : FALSE);
    // The close box and Alt+F4 go with Cancel (EnableMenuItem on the window menu).
    if (HMENU menu = ::GetSystemMenu(frame, FALSE)) {
        ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
    }
}
