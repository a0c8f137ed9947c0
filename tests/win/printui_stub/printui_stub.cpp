// A stand-in for the system's printer user-interface library (printui.dll), for tests
// under Wine only. rundll32 calls its entry point PrintUIEntryW (or PrintUIEntry) with
// the command line after "PRINTUI.DLL,PrintUIEntry". The stand-in
// - appends that command line, as UTF-8 and followed by a line feed, to the file named
//   by the environment variable TAMRIN_PRINTUI_LOG (default C:\printui-calls.log);
// - for /if /n NAME /f INF /r PORT /m MODEL: when INF is a file that names MODEL in
//   double quotes (in any case), adds the driver MODEL (Wine's PostScript driver files stand in for
//   the driver's own) unless it is there, and the printer NAME on PORT with it;
// - for /y /n NAME: makes NAME the default printer;
// - for anything else (/k prints a test page): records the line only.
// With TAMRIN_PRINTUI_FAIL set to any text it records the line and does nothing else,
// as an entry point that fails. With TAMRIN_PRINTUI_HOLD set to a file's path it waits,
// after recording an /if line, until that file exists (at most a minute), as a slow
// installation that ends when the test has seen what it needs to see.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/code_page.h"
#include "tests/win/spooler_fixture.h"

namespace {

using namespace spooler_fixture;

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024];
    DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

void Record(const std::wstring& commandLine) {
    std::wstring path = Environment(L"TAMRIN_PRINTUI_LOG");
    if (path.empty()) path = L"C:\\printui-calls.log";
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string line = ToCodePage(commandLine, CP_UTF8) + "\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

// Options and their values: "/n" "Alpha" and so on; a value in double quotes may hold
// blanks.
std::vector<std::wstring> Tokens(const std::wstring& line) {
    std::vector<std::wstring> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == L' ' || line[i] == L'\t') {
            ++i;
        } else if (line[i] == L'"') {
            std::size_t end = line.find(L'"', i + 1);
            if (end == std::wstring::npos) end = line.size();
            tokens.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            std::size_t end = line.find_first_of(L" \t", i);
            if (end == std::wstring::npos) end = line.size();
            tokens.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return tokens;
}

std::wstring ValueOf(const std::vector<std::wstring>& tokens, const wchar_t* option) {
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i] == option) return tokens[i + 1];
    }
    return {};
}

bool Has(const std::vector<std::wstring>& tokens, const wchar_t* option) {
    for (const auto& t : tokens) {
        if (t == option) return true;
    }
    return false;
}

bool InfNamesModel(const std::wstring& inf, const std::wstring& model) {
    HANDLE file = CreateFileW(inf.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes;
    char chunk[4096];
    DWORD n = 0;
    while (ReadFile(file, chunk, sizeof chunk, &n, nullptr) && n > 0) bytes.append(chunk, n);
    CloseHandle(file);
    // The system matches INF model names without regard to case, as the stand-in does.
    auto lower = [](std::string text) {
        for (char& c : text) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return text;
    };
    return !model.empty() && lower(bytes).find(lower("\"" + ToCodePage(model, CP_ACP) + "\"")) != std::string::npos;
}

void InstallPrinter(const std::vector<std::wstring>& tokens) {
    std::wstring name = ValueOf(tokens, L"/n"), inf = ValueOf(tokens, L"/f"), port = ValueOf(tokens, L"/r"),
                 model = ValueOf(tokens, L"/m");
    if (name.empty() || port.empty() || !InfNamesModel(inf, model)) return;
    AddTestDriver(model);  // fails harmlessly when it is there
    AddTestPrinter(name, model, port);
}

void Hold() {
    const std::wstring path = Environment(L"TAMRIN_PRINTUI_HOLD");
    for (int waited = 0; !path.empty() && waited < 60000 && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
         waited += 50) {
        Sleep(50);
    }
}

void Run(const std::wstring& commandLine) {
    Record(commandLine);
    std::vector<std::wstring> tokens = Tokens(commandLine);
    if (Has(tokens, L"/if")) Hold();
    if (!Environment(L"TAMRIN_PRINTUI_FAIL").empty()) return;
    if (Has(tokens, L"/if")) {
        InstallPrinter(tokens);
    } else if (Has(tokens, L"/y")) {
        std::wstring name = ValueOf(tokens, L"/n");
        if (!name.empty()) SetDefaultPrinterW(name.c_str());
    }
}

}  // namespace

extern "C" void CALLBACK PrintUIEntryW(HWND, HINSTANCE, LPWSTR commandLine, int) {
    Run(commandLine ? commandLine : L"");
}

extern "C" void CALLBACK PrintUIEntry(HWND, HINSTANCE, LPSTR commandLine, int) {
    std::wstring wide = commandLine ? FromCodePage(commandLine, CP_ACP) : std::wstring();
    Run(wide);
}
