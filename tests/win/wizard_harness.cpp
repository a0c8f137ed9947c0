#include "tests/win/wizard_harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/win32/casts.h"
#include "tests/support/text_convert.h"
#include "wizard/framework/property_sheet.h"
#include "wizard/setup_wizard.h"

namespace {

constexpr UINT kRunOnUi = WM_APP + 1;  // lParam: the std::function to run
constexpr UINT kPing = WM_APP + 2;     // lParam: the event to set
constexpr wchar_t kHelperClass[] = L"TamrinWizardHarness";

LRESULT CALLBACK HelperProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunOnUi) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    if (message == kPing) {
        ::SetEvent(reinterpret_cast<HANDLE>(lParam));
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateHelper() {
    static ATOM registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &HelperProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kHelperClass;
        return ::RegisterClassW(&windowClass);
    }();
    (void)registered;
    return ::CreateWindowExW(0, kHelperClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

struct EventHandle {
    HANDLE handle = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~EventHandle() {
        if (handle) ::CloseHandle(handle);
    }
};

std::wstring WindowText(HWND window) {
    if (!window) return L"";
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

struct BoxSearch {
    const wchar_t* caption;  // nullptr: any box
    HWND frame;
    HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<BoxSearch*>(data);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (window == search->frame || std::wstring(className) != L"#32770" || !::IsWindowVisible(window))
        return TRUE;
    if (search->caption && WindowText(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK RedrawTopWindow(HWND window, LPARAM) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return TRUE;
}

}  // namespace

// ---- message boxes ----

ScriptedMessageBoxes::ScriptedMessageBoxes() : scope(*this) {}

void ScriptedMessageBoxes::Answer(std::vector<int> next) {
    std::lock_guard<std::mutex> lock(mutex);
    answers.assign(next.begin(), next.end());
}

std::vector<ScriptedMessageBoxes::Box> ScriptedMessageBoxes::Shown() const {
    std::lock_guard<std::mutex> lock(mutex);
    return shown;
}

bool ScriptedMessageBoxes::WaitForCount(std::size_t count, DWORD timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return shown.size() >= count; });
}

int ScriptedMessageBoxes::MessageBoxW(platform::Handle owner, const char16_t* text, const char16_t* caption,
                                      platform::Dword type) {
    int answer = IDOK;
    {
        std::lock_guard<std::mutex> lock(mutex);
        shown.push_back({static_cast<HWND>(owner), text ? platform::AsWide(text) : L"",
                         caption ? platform::AsWide(caption) : L"", type});
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
    }
    changed.notify_all();
    if (answer == kShowOnScreen) {
        return platform::Default<platform::MessageBoxes>().MessageBoxW(owner, text, caption, type);
    }
    return answer;
}

// ---- the script's side ----

void WizardDriver::OnUi(const std::function<void()>& f) {
    if (::GetCurrentThreadId() == uiThread) {
        f();
        return;
    }
    ::SendMessageW(helper, kRunOnUi, 0, reinterpret_cast<LPARAM>(&f));
}

HWND WizardDriver::Frame() {
    HWND frame = nullptr;
    OnUi([&] { frame = Ended() ? nullptr : sheet->GetSafeHwnd(); });
    return frame;
}

HWND WizardDriver::Page() {
    HWND page = nullptr;
    OnUi([&] {
        HWND frame = Ended() ? nullptr : sheet->GetSafeHwnd();
        if (frame) page = reinterpret_cast<HWND>(::SendMessageW(frame, PSM_GETCURRENTPAGEHWND, 0, 0));
    });
    return page;
}

std::wstring WizardDriver::Title() {
    std::wstring title;
    OnUi([&] { title = WindowText(Ended() ? nullptr : sheet->GetSafeHwnd()); });
    return title;
}

bool WizardDriver::Ended() const {
    return ended != 0;
}

void WizardDriver::Settle() {
    if (::GetCurrentThreadId() == uiThread) return;
    // Twice: the first ping may be posted while the interface thread is still inside a
    // handler (a test thread woken by a box shown there), and is then handled right after
    // it, ahead of the messages the handler posts on its way out (the buttons' state and
    // focus). The second ping is queued behind those.
    for (int round = 0; round < 2; ++round) {
        EventHandle handled;
        if (!::PostMessageW(helper, kPing, 0, reinterpret_cast<LPARAM>(handled.handle))) return;
        ::WaitForSingleObject(handled.handle, kWaitMs);
    }
}

bool WizardDriver::WaitForPage(const wchar_t* title, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!Ended()) {
        if (Title() == title) {
            Settle();
            return Title() == title;
        }
        if (::GetTickCount() - start > timeoutMs) break;
        ::Sleep(5);
    }
    ADD_FAILURE() << "the page did not appear; the wizard shows \"" << testing::PrintToString(Title())
                  << (Ended() ? "\" and has ended" : "\"");
    return false;
}

bool WizardDriver::WaitForEnd(DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!Ended()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(5);
    }
    return true;
}

void WizardDriver::Press(int psbtn) {
    OnUi([&] {
        if (HWND frame = Ended() ? nullptr : sheet->GetSafeHwnd()) {
            ::PostMessageW(frame, PSM_PRESSBUTTON, static_cast<WPARAM>(psbtn), 0);
        }
    });
}

void WizardDriver::PostToFrame(UINT message, WPARAM wParam, LPARAM lParam) {
    OnUi([&] {
        if (HWND frame = Ended() ? nullptr : sheet->GetSafeHwnd()) ::PostMessageW(frame, message, wParam, lParam);
    });
}

void WizardDriver::Key(UINT virtualKey) {
    OnUi([&] {
        HWND target = ::GetFocus();
        if (!target) target = Ended() ? nullptr : sheet->GetSafeHwnd();
        if (!target) return;
        const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
        ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
        ::PostMessageW(target, WM_KEYUP, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16) | (3L << 30));
    });
}

HWND WizardDriver::Focus() {
    HWND focus = nullptr;
    OnUi([&] { focus = ::GetFocus(); });
    return focus;
}

int WizardDriver::FocusedId() {
    HWND focus = Focus();
    int id = 0;
    OnUi([&] { id = focus ? ::GetDlgCtrlID(focus) : 0; });
    return id;
}

std::wstring WizardDriver::Text(int id) {
    std::wstring text;
    HWND page = Page();
    OnUi([&] { text = WindowText(page ? ::GetDlgItem(page, id) : nullptr); });
    return text;
}

bool WizardDriver::Visible(int id) {
    bool visible = false;
    HWND page = Page();
    OnUi([&] {
        HWND control = page ? ::GetDlgItem(page, id) : nullptr;
        visible = control && (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    });
    return visible;
}

std::vector<std::wstring> WizardDriver::ListItems(int id) {
    std::vector<std::wstring> items;
    HWND page = Page();
    OnUi([&] {
        HWND list = page ? ::GetDlgItem(page, id) : nullptr;
        if (!list) return;
        LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            std::wstring item(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
            LRESULT copied = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                            reinterpret_cast<LPARAM>(item.data()));
            item.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
            items.push_back(item);
        }
    });
    return items;
}

int WizardDriver::ListSelection(int id) {
    int selection = LB_ERR;
    HWND page = Page();
    OnUi([&] {
        if (HWND list = page ? ::GetDlgItem(page, id) : nullptr) {
            selection = static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0));
        }
    });
    return selection;
}

void WizardDriver::SelectListItem(int id, int index) {
    HWND page = Page();
    OnUi([&] {
        if (HWND list = page ? ::GetDlgItem(page, id) : nullptr) {
            ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        }
    });
}

bool WizardDriver::Checked(int id) {
    bool checked = false;
    HWND page = Page();
    OnUi([&] { checked = page && ::IsDlgButtonChecked(page, id) == BST_CHECKED; });
    return checked;
}

void WizardDriver::Click(int id) {
    HWND page = Page();
    OnUi([&] {
        if (HWND button = page ? ::GetDlgItem(page, id) : nullptr) ::SendMessageW(button, BM_CLICK, 0, 0);
    });
}

bool WizardDriver::ButtonEnabled(int id) {
    bool enabled = false;
    HWND frame = Frame();
    OnUi([&] {
        HWND button = frame ? ::GetDlgItem(frame, id) : nullptr;
        enabled = button && ::IsWindowVisible(button) && ::IsWindowEnabled(button);
    });
    return enabled;
}

bool WizardDriver::ButtonVisible(int id) {
    bool visible = false;
    HWND frame = Frame();
    OnUi([&] {
        HWND button = frame ? ::GetDlgItem(frame, id) : nullptr;
        visible = button && ::IsWindowVisible(button);
    });
    return visible;
}

HWND WizardDriver::FindBox(const wchar_t* caption) {
    BoxSearch search{caption, Frame(), nullptr};
    ::EnumThreadWindows(uiThread, &MatchBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WizardDriver::WaitForBox(const wchar_t* caption, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!Ended()) {
        if (HWND box = FindBox(caption)) return box;
        if (::GetTickCount() - start > timeoutMs) break;
        ::Sleep(5);
    }
    return nullptr;
}

bool WizardDriver::CloseBox(const wchar_t* caption, int button, DWORD timeoutMs) {
    HWND box = WaitForBox(caption, timeoutMs);
    if (!box) return false;
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return true;
}

bool WizardDriver::Screenshot(const std::string& name) {
    const char* folder = std::getenv("TAMRIN_SCREENSHOTS");
    if (!folder || !*folder) return true;
    // Everything drawn before the picture is taken.
    OnUi([&] {
        ::EnumThreadWindows(uiThread, &RedrawTopWindow, 0);
        ::GdiFlush();
    });
    Settle();
    const std::wstring unixFolder = Wide(text::FromUtf8(folder));
    // Wine's drive Z: is the root of the Unix file system.
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(L"Z:" + unixFolder), error);
    // Wine starts a Unix program given by its path in the Unix file system, but its
    // process handle is signalled at once and its exit code does not come back: the
    // picture is written under another name and renamed when complete, and the test
    // waits for the name.
    const std::wstring file = Wide(text::FromUtf8(name)) + L".png";
    std::filesystem::path picture = std::filesystem::path(L"Z:" + unixFolder) / file;
    std::filesystem::remove(picture, error);
    std::wstring target = unixFolder + L"/" + file;
    std::wstring command = L"/bin/sh -c \"import -window root '" + target + L".part.png' && mv '" + target +
                           L".part.png' '" + target + L"'\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 20000; ::Sleep(20)) {
        if (std::filesystem::exists(picture, error)) return true;
    }
    return false;
}

// ---- the wizard's side ----

WizardHarness::WizardHarness() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
}

WizardHarness::~WizardHarness() = default;

INT_PTR WizardHarness::Run(const std::function<void(WizardDriver&)>& script) {
    CSetupWizard setup;
    return RunSheet(setup.Frame(), script);
}

INT_PTR WizardHarness::RunWizard(CPropertySheet& sheet, std::initializer_list<CPropertyPage*> pages,
                                 CPropertyPage* start, const std::function<void(WizardDriver&)>& script) {
    for (CPropertyPage* page : pages) sheet.AddPage(page);
    sheet.SetWizardMode();
    sheet.SetActivePage(start);
    return RunSheet(sheet, script);
}

INT_PTR WizardHarness::RunSheet(CPropertySheet& sheet, const std::function<void(WizardDriver&)>& script) {
    driver.uiThread = ::GetCurrentThreadId();
    driver.sheet = &sheet;
    driver.ended = 0;
    driver.helper = CreateHelper();
    if (!driver.helper) {
        ADD_FAILURE() << "no helper window";
        return -1;
    }
    EventHandle scriptDone;

    std::thread scriptThread([&] {
        script(driver);
        // Whatever the script left open is closed, so that DoModal returns.
        if (!driver.Ended()) {
            while (HWND box = driver.FindBox(nullptr)) {
                ::SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                if (driver.FindBox(nullptr) == box) break;
            }
            driver.Press(PSBTN_CANCEL);
            if (!driver.WaitForEnd()) ADD_FAILURE() << "the wizard did not close after the script";
        }
        ::SetEvent(scriptDone.handle);
    });

    INT_PTR code = sheet.DoModal();
    ::InterlockedExchange(&driver.ended, 1);
    // The script may still read the (now empty) wizard through this thread.
    while (::MsgWaitForMultipleObjects(1, &scriptDone.handle, FALSE, INFINITE, QS_ALLINPUT) ==
           WAIT_OBJECT_0 + 1) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    scriptThread.join();
    ::DestroyWindow(driver.helper);
    driver.helper = nullptr;
    driver.sheet = nullptr;
    return code;
}
