// Module path outside Windows: the running program's path, written with backslashes as
// Windows writes it (the portable file readers accept either separator).
#include <unistd.h>

#include <climits>
#include <string>

#include "platform/module.h"
#include "platform/services.h"
#include "platform/text.h"

namespace platform {
namespace {

struct PortableModule final : Module {
    Dword GetModuleFileNameW(char16_t* buffer, Dword size) override {
        if (size == 0) return 0;
        char path[PATH_MAX] = {};
        ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
        if (n <= 0) {
            buffer[0] = 0;
            return 0;
        }
        std::u16string wide = text::FromUtf8(std::string(path, static_cast<std::size_t>(n)));
        for (auto& c : wide) {
            if (c == u'/') c = u'\\';
        }
        // As Windows does: a path that does not fit is cut and the full size returned.
        if (wide.size() >= size) {
            wide.resize(size - 1);
            text::Copy(buffer, size, wide.c_str());
            return size;
        }
        text::Copy(buffer, size, wide.c_str());
        return static_cast<Dword>(wide.size());
    }
};

}  // namespace

template <>
Module& Default<Module>() {
    static PortableModule instance;
    return instance;
}

}  // namespace platform
