// Looks at the running wizard from outside, for the end-to-end script (runs in the same
// Wine prefix as the wizard). Commands:
//   wizard_probe buttons TITLE EXPECTED TIMEOUT_MS
//       waits until a top-level window TITLE exists and its buttons are in the state
//       EXPECTED ("back=disabled next=enabled finish=hidden cancel=enabled help=hidden");
//       prints the last state seen; exit 0 when it matched in time.
//   wizard_probe text TITLE ID     prints the text of the visible control ID in window TITLE
//                                  (line breaks written as \n)
//   wizard_probe point TITLE ID    prints the screen position "X Y" of the middle of control ID
//   wizard_probe items TITLE ID    prints the items of list box ID, one a line
//   wizard_probe rect TITLE        prints the window's rectangle "X Y WIDTH HEIGHT"
//   wizard_probe press TITLE ID NEXT_TITLE
//       clicks button ID of window TITLE (the click returns once the wizard has handled
//       it, page activation included), waits up to 30 s for a window NEXT_TITLE and
//       prints the milliseconds from the click to that window
//   wizard_probe printers          prints the local printers, one a line, then
//                                  "default=" and the default printer's name
//   wizard_probe comment NAME [TEXT]  sets the comment of printer NAME to TEXT when given,
//                                  then prints it (PRINTER_INFO_2's pComment)
//   wizard_probe codepage          prints the system's ANSI code page (GetACP)
//   wizard_probe layout TITLE      the current page of wizard TITLE: "page X Y W H", then
//                                  "picture X Y W H" for its bitmap static, then
//                                  "clipped ID CLASS" for every visible control of the page
//                                  that reaches outside the page, or button of the frame
//                                  that reaches outside the frame's client area
//   wizard_probe run COMMAND LINE  starts the rest of its own command line, as it stands, as a
//                                  process; watches it every 10 ms until it ends and prints
//                                  "windows=N" (visible top-level windows of that process
//                                  seen at any moment) and "exit=CODE" (the whole 32-bit code)
// Rectangles are in screen pixels: the probe is DPI aware, so the system does not scale
// them to 96 DPI for it.
// Exit code 2 for a window or control that is not there.
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr int kBackButton = 0x3023;
constexpr int kNextButton = 0x3024;
constexpr int kFinishButton = 0x3025;

void Print(const std::wstring& text) {
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size, nullptr,
                          nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<ControlSearch*>(data);
    if (::GetDlgCtrlID(child) == search->id && ::IsWindowVisible(child)) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

// The first visible descendant with the control id (pages are children of the frame).
HWND FindControl(HWND top, int id) {
    ControlSearch search{id, nullptr};
    ::EnumChildWindows(top, &MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

const wchar_t* ButtonState(HWND top, int id) {
    HWND button = ::GetDlgItem(top, id);
    if (!button || !::IsWindowVisible(button)) return L"hidden";
    return ::IsWindowEnabled(button) ? L"enabled" : L"disabled";
}

std::wstring Buttons(HWND top) {
    return std::wstring(L"back=") + ButtonState(top, kBackButton) + L" next=" + ButtonState(top, kNextButton) +
           L" finish=" + ButtonState(top, kFinishButton) + L" cancel=" + ButtonState(top, IDCANCEL) +
           L" help=" + ButtonState(top, IDHELP);
}

std::wstring Text(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    std::wstring escaped;
    for (wchar_t c : text) {
        if (c == L'\n') {
            escaped += L"\\n";
        } else if (c != L'\r') {
            escaped += c;
        }
    }
    return escaped;
}

int WaitForButtons(const wchar_t* title, const wchar_t* expected, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    std::wstring last = L"(no window)";
    for (;;) {
        if (HWND top = ::FindWindowW(nullptr, title)) {
            last = Buttons(top);
            if (last == expected) break;
        }
        if (::GetTickCount() - start > timeoutMs) {
            Print(last);
            return 1;
        }
        ::Sleep(100);
    }
    Print(last);
    return 0;
}

int Printers() {
    DWORD needed = 0, returned = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &returned);
    std::string buffer(needed + sizeof(PRINTER_INFO_4W), '\0');
    if (!::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, reinterpret_cast<BYTE*>(buffer.data()),
                         static_cast<DWORD>(buffer.size()), &needed, &returned)) {
        returned = 0;
    }
    const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) Print(printers[i].pPrinterName);
    wchar_t name[512] = {};
    DWORD size = 512;
    if (!::GetDefaultPrinterW(name, &size)) name[0] = L'\0';
    Print(std::wstring(L"default=") + name);
    return 0;
}

std::wstring Rect(const RECT& r) {
    return std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
           std::to_wstring(r.bottom - r.top);
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

void PrintClipped(HWND control) {
    Print(L"clipped " + std::to_wstring(::GetDlgCtrlID(control)) + L" " + ClassName(control));
}

int Layout(HWND top) {
    auto page = reinterpret_cast<HWND>(::SendMessageW(top, PSM_GETCURRENTPAGEHWND, 0, 0));
    if (!page) return 2;
    RECT pageRect;
    ::GetWindowRect(page, &pageRect);
    Print(L"page " + Rect(pageRect));
    for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP && ClassName(child) == L"Static") {
            RECT r;
            ::GetWindowRect(child, &r);
            Print(L"picture " + Rect(r));
            break;
        }
    }
    for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        ::GetWindowRect(child, &r);
        if (::IsWindowVisible(child) && !Inside(r, pageRect)) PrintClipped(child);
    }
    RECT client;
    ::GetClientRect(top, &client);
    ::MapWindowPoints(top, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (int id : {kBackButton, kNextButton, kFinishButton, static_cast<int>(IDCANCEL)}) {
        HWND button = ::GetDlgItem(top, id);
        RECT r;
        if (button && ::IsWindowVisible(button) && ::GetWindowRect(button, &r) && !Inside(r, client)) {
            PrintClipped(button);
        }
    }
    return 0;
}

int Press(HWND top, int id, const wchar_t* nextTitle) {
    HWND button = ::GetDlgItem(top, id);
    if (!button) button = FindControl(top, id);
    if (!button) return 2;
    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 30000, &ignored);
    for (;;) {
        ::QueryPerformanceCounter(&now);
        double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (::FindWindowW(nullptr, nextTitle)) {
            Print(std::to_wstring(static_cast<long>(ms + 0.5)));
            return 0;
        }
        if (ms > 30000) return 1;
        ::Sleep(1);
    }
}

struct WindowCount {
    DWORD process;
    int visible;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM parameter) {
    auto* count = reinterpret_cast<WindowCount*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == count->process && ::IsWindowVisible(window)) ++count->visible;
    return TRUE;
}

// The probe's command line after "run" and the blanks behind it.
std::wstring CommandAfterRun() {
    const wchar_t* line = ::GetCommandLineW();
    if (*line == L'"') {
        line = std::wcschr(line + 1, L'"');
        line = line ? line + 1 : L"";
    } else {
        while (*line && *line != L' ' && *line != L'\t') ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    line += 3;  // "run"
    while (*line == L' ' || *line == L'\t') ++line;
    return line;
}

int RunWatched() {
    std::wstring command = CommandAfterRun();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        Print(L"start failed " + std::to_wstring(::GetLastError()));
        return 2;
    }
    int mostWindows = 0;
    for (;;) {
        WindowCount count{process.dwProcessId, 0};
        ::EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&count));
        if (count.visible > mostWindows) mostWindows = count.visible;
        if (::WaitForSingleObject(process.hProcess, 10) != WAIT_TIMEOUT) break;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    Print(L"windows=" + std::to_wstring(mostWindows));
    Print(L"exit=" + std::to_wstring(code));
    return 0;
}

// The printer's comment, set first when a text is given; exit 2 when the printer cannot be
// opened or read.
int Comment(wchar_t* name, const wchar_t* text) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!::OpenPrinterW(name, &printer, &defaults)) return 2;
    DWORD needed = 0;
    ::GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::string buffer(needed + sizeof(PRINTER_INFO_2W), '\0');
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    bool read = ::GetPrinterW(printer, 2, reinterpret_cast<BYTE*>(buffer.data()), needed, &needed) != 0;
    std::wstring comment = read && info->pComment ? info->pComment : L"";
    if (read && text) {
        comment = text;
        info->pComment = comment.data();
        info->pSecurityDescriptor = nullptr;  // left as it is
        read = ::SetPrinterW(printer, 2, reinterpret_cast<BYTE*>(info), 0) != 0;
    }
    ::ClosePrinter(printer);
    if (!read) return 2;
    Print(comment);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    // The wizard is DPI aware: its windows are measured in the same pixels as the screen.
    ::SetProcessDPIAware();
    if (argc < 2) return 2;
    std::wstring command = argv[1];
    if (command == L"printers") return Printers();
    if (command == L"run") return RunWatched();
    if (command == L"codepage") {
        Print(std::to_wstring(::GetACP()));
        return 0;
    }
    if (argc < 3) return 2;
    if (command == L"comment") return Comment(argv[2], argc > 3 ? argv[3] : nullptr);
    if (command == L"buttons" && argc == 5) {
        return WaitForButtons(argv[2], argv[3], static_cast<DWORD>(std::wcstoul(argv[4], nullptr, 10)));
    }
    HWND top = ::FindWindowW(nullptr, argv[2]);
    if (!top) return 2;
    if (command == L"rect") {
        RECT r;
        ::GetWindowRect(top, &r);
        Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) +
              L" " + std::to_wstring(r.bottom - r.top));
        return 0;
    }
    if (command == L"layout") return Layout(top);
    if (command == L"press" && argc == 5) {
        return Press(top, static_cast<int>(std::wcstol(argv[3], nullptr, 0)), argv[4]);
    }
    if (argc != 4) return 2;
    HWND control = FindControl(top, static_cast<int>(std::wcstol(argv[3], nullptr, 0)));
    if (!control) return 2;
    if (command == L"text") {
        Print(Text(control));
        return 0;
    }
    if (command == L"items") {
        LRESULT count = ::SendMessageW(control, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t item[256] = {};
            if (::SendMessageW(control, LB_GETTEXTLEN, i, 0) < 256) {
                ::SendMessageW(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
            }
            Print(item);
        }
        return 0;
    }
    if (command == L"point") {
        RECT r;
        ::GetWindowRect(control, &r);
        Print(std::to_wstring((r.left + r.right) / 2) + L" " + std::to_wstring((r.top + r.bottom) / 2));
        return 0;
    }
    return 2;
}
