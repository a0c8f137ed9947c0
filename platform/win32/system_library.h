// A library loaded at run time from the system directory only, never from the program's
// folder, and freed when the object ends.
#pragma once

#include <windows.h>

namespace platform {

class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name)
        : module_(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {}
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
    HMODULE module_;
};

}  // namespace platform
