// Starting programs outside Windows: the Windows programs the installer starts are not
// there. The system directory is named as on Windows, and every start fails with
// ERROR_FILE_NOT_FOUND, as a start of a missing program does.
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace platform {
namespace {

struct NoProgramsShell final : Shell {
    Result<Bool> ShellExecuteExW(ShellExecuteInfo* info) override {
        if (info) info->process = nullptr;
        return {0, kErrorFileNotFound};
    }
    unsigned GetSystemDirectoryW(char16_t* buffer, unsigned size) override {
        static const char16_t kSystemDirectory[] = u"C:\\Windows\\system32";
        unsigned length = static_cast<unsigned>(text::Length(kSystemDirectory));
        if (size <= length) return length + 1;
        text::Copy(buffer, size, kSystemDirectory);
        return length;
    }
};

}  // namespace

template <>
Shell& Default<Shell>() {
    static NoProgramsShell instance;
    return instance;
}

}  // namespace platform
