// A library loaded at run time from the system directory only, never from the program's
// folder, and freed when the object ends.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name) : module_(Load(name)) {}
    ~SystemLibrary() {
        if (module_) ::FreeLibrary(module_);
    }
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    bool Loaded() const { return module_ != nullptr; }

    // The named entry point cast to the function type F, or nullptr.
    template <class F>
    F Proc(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
    }

private:
    static HMODULE Load(const wchar_t* name) {
        HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
        // A Windows 7 without the library-search update does not know the flag: name the
        // file by its full path in the system directory instead.
        wchar_t dir[MAX_PATH];
        UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return nullptr;
        std::wstring path = std::wstring(dir, n) + L"\\" + name;
        return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }

    HMODULE module_;
};

}  // namespace platform
