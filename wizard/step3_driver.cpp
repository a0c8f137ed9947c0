#include "wizard/step3_driver.h"

#include "engine/machine/attached_printers.h"
#include "engine/medium/install_route.h"
#include "engine/medium/medium_messages.h"
#include "engine/medium/preparation.h"
#include "engine/printer_installer.h"
#include "resources/resource.h"
#include "wizard/framework/property_sheet.h"
#include "wizard/message_boxes.h"
#include "wizard/utf16.h"

namespace {

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

    // The attached printers that count are those whose model the catalogue lists; the
    // warning comes only when printers are attached and none of them is listed.
    const engine::AttachedPrinters attached = engine::FindAttachedPrinters();
    const engine::Catalogue catalogue(theInstaller.printerInfoPath);
    usbModelListed = engine::ListedAttachedModels(attached, catalogue).empty() ? 0 : 1;

    int answer = IDOK;
    if (!usbModelListed && !attached.printers.empty()) {
        answer = ShowBox(GetSafeHwnd(), engine::ShownText(engine::MessageId::UnlistedPrinterWarning),
                         engine::MessageId::UnlistedPrinterCaption, MB_OKCANCEL);
    }
    if (answer == IDCANCEL) {
        if (CPropertySheet* sheet = GetSheet()) sheet->EndDialog(kPageIndex);
        return CPropertyPage::OnSetActive();
    }

    modelPrompt = Wide(engine::ShownText(engine::MessageId::ModelPrompt));
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
        const std::u16string model = AsU16(entry.c_str());
        engine::Preparation prepared = engine::PrepareEntry(theInstaller.Medium(), model.c_str(), {}, {});
        if (prepared.problem != engine::ModelProblem::None) {
            ShowBox(GetSafeHwnd(), engine::ShownText(engine::ModelProblemMessage(prepared, model)),
                    engine::MessageId::ErrorCaption, MB_ICONERROR);
            return kStayOnPage;
        }
        theInstaller.SetModelName(prepared.request.printerName.c_str());
    }
    return 0;
}

void CStep3::FillModelList() {
    modelList.ResetContent();

    // The printers are asked a second time; their listed models are offered alone only
    // while they are still attached.
    StringList models;
    if (usbModelListed) {
        models = engine::ListedAttachedModels(engine::FindAttachedPrinters(),
                                              engine::Catalogue(theInstaller.printerInfoPath));
    }
    if (models.empty()) theInstaller.GetSeriesModels(kMainSeries, models);
    for (const std::u16string& model : models) modelList.AddString(AsWide(model.c_str()));
    modelList.SetCurSel(0);
    UpdateData(FALSE);
}
