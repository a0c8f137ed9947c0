#include "wizard/framework/data_exchange.h"

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
