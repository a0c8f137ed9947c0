#include "wizard/framework/data_exchange.h"

#include <iterator>

void DDX_Text(CDataExchange* dx, int id, std::wstring& value) {
    HWND control = dx->Control(id);
    if (!control) return;
    if (!dx->saveAndValidate) {
        ::SetWindowTextW(control, value.c_str());
        return;
    }
    int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    value = std::move(text);
}

namespace {

bool IsRadioButton(HWND control) {
    // Room for "Button" and more: a longer class name is cut and then differs anyway.
    wchar_t className[16] = {};
    ::GetClassNameW(control, className, static_cast<int>(std::size(className)));
    if (::lstrcmpiW(className, L"Button") != 0) return false;
    LONG type = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

}  // namespace

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    HWND first = dx->Control(id);
    if (!first) return;
    if (dx->saveAndValidate) value = -1;
    int index = 0;
    for (HWND button = first; button && IsRadioButton(button);
         button = ::GetWindow(button, GW_HWNDNEXT), ++index) {
        if (button != first && (::GetWindowLongW(button, GWL_STYLE) & WS_GROUP)) break;
        if (dx->saveAndValidate) {
            if (::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessageW(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}
