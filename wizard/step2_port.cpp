#include "wizard/step2_port.h"

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

    char16_t found[kNameCapacity] = {};
    if (detector.FindUsbPortName(found, kNameCapacity) == 1) {
        detectedPort = AsWide(found);
        portPrompt = Wide(engine::ShownText({engine::MessageId::UsbPortFound, {found}}));
        usbDetected = 1;
        // The list keeps its entries; it is only out of sight.
        portList.ShowWindow(SW_HIDE);
    } else {
        portPrompt = Wide(engine::ShownText(engine::MessageId::UsbPortNotFound));
        usbDetected = 0;
        portList.ShowWindow(SW_SHOW);
        FillPortList();
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

void CStep2::FillPortList() {
    portList.ResetContent();

    StringList ports;
    if (theInstaller.EnumPortNames(ports)) {
        for (const std::u16string& port : ports) portList.AddString(AsWide(port.c_str()));
    } else {
        for (const wchar_t* port : kFixedPorts) portList.AddString(port);
    }
    int preferred = portList.FindString(-1, kPreferredPort);
    portList.SetCurSel(preferred != LB_ERR ? preferred : 0);
    UpdateData(FALSE);
}
