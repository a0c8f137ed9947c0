#include "wizard/step2_port.h"

#include "engine/machine/attached_printers.h"
#include "engine/medium/install_route.h"
#include "engine/messages/messages.h"
#include "engine/printer_installer.h"
#include "resources/resource.h"
#include "wizard/utf16.h"

namespace {

const wchar_t kPreferredPort[] = L"LPT1:";
const wchar_t* const kFixedPorts[] = {L"LPT1:", L"LPT2:", L"LPT3:", L"COM1:", L"COM2:",
                                      L"COM3:", L"COM4:", L"COM5:", L"USB001"};

}  // namespace

CStep2::CStep2() : CPropertyPage(IDD_PORT_PAGE) {}

void CStep2::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_PORT_LIST, portList);
    DDX_Text(dx, IDC_PORT_PROMPT, portPrompt);
}

BOOL CStep2::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);

    // The ports of the attached printers of the model chosen on the driver page.
    char16_t printer[kNameCapacity] = {};
    theInstaller.GetModelName(printer, kNameCapacity);
    const StringList found = engine::ProposedPorts(engine::FindAttachedPrinters(),
                                                   engine::Catalogue(theInstaller.printerInfoPath), printer);
    usbDetected = found.size() == 1 ? 1 : 0;
    if (!found.empty()) {
        detectedPort = AsWide(found.front().c_str());
        portPrompt = Wide(engine::ShownText({engine::MessageId::UsbPortFound, {found.front()}}));
    } else {
        portPrompt = Wide(engine::ShownText(engine::MessageId::UsbPortNotFound));
    }
    if (usbDetected == 1) {
        // The list keeps its entries; it is only out of sight.
        portList.ShowWindow(SW_HIDE);
    } else {
        // None found, or several printers of the model: the user picks, the first one's
        // port proposed and each one's in the list.
        portList.ShowWindow(SW_SHOW);
        FillPortList(found);
    }
    UpdateData(FALSE);
    return CPropertyPage::OnSetActive();
}

LRESULT CStep2::OnWizardNext() {
    UpdateData(TRUE);
    if (usbDetected == 1) {
        theInstaller.SetPortName(AsU16(detectedPort.c_str()));
        return 0;
    }
    int selected = portList.GetCurSel();
    std::wstring entry;
    if (selected != LB_ERR && portList.GetText(selected, entry)) {
        detectedPort = entry;
        theInstaller.SetPortName(AsU16(detectedPort.c_str()));
    }
    return 0;
}

void CStep2::FillPortList(const StringList& usbPorts) {
    portList.ResetContent();

    StringList ports;
    if (theInstaller.EnumPortNames(ports)) {
        for (const std::u16string& port : ports) portList.AddString(AsWide(port.c_str()));
    } else {
        for (const wchar_t* port : kFixedPorts) portList.AddString(port);
    }
    for (const std::u16string& port : usbPorts) {
        if (portList.FindString(-1, AsWide(port.c_str())) == LB_ERR) portList.AddString(AsWide(port.c_str()));
    }
    int preferred = portList.FindString(-1, usbPorts.empty() ? kPreferredPort : AsWide(usbPorts.front().c_str()));
    portList.SetCurSel(preferred != LB_ERR ? preferred : 0);
    UpdateData(FALSE);
}
