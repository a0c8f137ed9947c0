#include "wizard/step3_driver.h"

#include "engine/medium/medium_messages.h"
#include "engine/medium/preparation.h"
#include "engine/printer_installer.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "resources/resource.h"
#include "wizard/framework/property_sheet.h"
#include "wizard/utf16.h"

namespace {

const wchar_t kModelPrompt[] = L"请选择要安装的打印机驱动：";
const wchar_t kUnlistedWarning[] =
    L"\n检测到您所使用的打印机驱动程序不在本安装程序内！\n单击确定选用其它驱动安装，单击取消退出安装程序！";
const wchar_t kWarningCaption[] = L"欢迎使用科维打印机";
// The page's place in the wizard, given as the end code when the user leaves here.
constexpr int kPageIndex = 1;
// What OnWizardNext returns to keep the page.
constexpr LRESULT kStayOnPage = -1;

}  // namespace

CStep3::CStep3() : CPropertyPage(IDD_DRIVER_PAGE) {}

void CStep3::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_MODEL_LIST, modelList);
    DDX_Text(dx, IDC_MODEL_PROMPT, modelPrompt);
}

BOOL CStep3::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    usbModelListed = 0;
    return TRUE;
}

BOOL CStep3::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);

    char16_t usbModel[kDeviceIdCapacity] = {};
    std::int32_t found = theInstaller.ReadUsbPrinterModel(usbModel, kDeviceIdCapacity);
    usbModelListed = theInstaller.IsSeriesModel(usbModel);

    int answer = IDOK;
    if (!usbModelListed && found) {
        answer = platform::Get<platform::MessageBoxes>().MessageBoxW(GetSafeHwnd(), AsU16(kUnlistedWarning),
                                                                     AsU16(kWarningCaption), MB_OKCANCEL);
    }
    if (answer == IDCANCEL) {
        if (CPropertySheet* sheet = GetSheet()) sheet->EndDialog(kPageIndex);
        return CPropertyPage::OnSetActive();
    }

    modelPrompt = kModelPrompt;
    FillModelList();
    UpdateData(FALSE);
    return CPropertyPage::OnSetActive();
}

LRESULT CStep3::OnWizardNext() {
    UpdateData(TRUE);
    int selected = modelList.GetCurSel();
    std::wstring entry;
    if (selected != LB_ERR && modelList.GetText(selected, entry) && !entry.empty()) {
        // A model this medium cannot install is named now, while another can be chosen (the
        // route is chosen when the installation is prepared on the finish page).
        engine::Preparation prepared = engine::PrepareEntry(theInstaller.Medium(), AsU16(entry.c_str()), {}, {});
        if (prepared.problem != engine::ModelProblem::None) {
            platform::Get<platform::MessageBoxes>().MessageBoxW(
                GetSafeHwnd(), engine::ModelProblemText(prepared, AsU16(entry.c_str())).c_str(),
                engine::kMediumProblemCaption, MB_ICONERROR);
            return kStayOnPage;
        }
        theInstaller.SetModelName(prepared.request.printerName.c_str());
    }
    return 0;
}

void CStep3::FillModelList() {
    modelList.ResetContent();

    // The printer is asked a second time; its model is offered alone only while it is
    // still attached.
    char16_t usbModel[kDeviceIdCapacity] = {};
    std::int32_t found = theInstaller.ReadUsbPrinterModel(usbModel, kDeviceIdCapacity);
    if (usbModelListed && found) {
        modelList.AddString(AsWide(usbModel));
    } else {
        StringList models;
        theInstaller.GetSeriesModels(kMainSeries, models);
        for (const std::u16string& model : models) modelList.AddString(AsWide(model.c_str()));
    }
    modelList.SetCurSel(0);
    UpdateData(FALSE);
}
