// The catalog file a driver INF names in its [Version] section: the signature of the
// driver package, which Windows looks for beside the INF when the package is staged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace engine {

// The decoration of the CatalogFile entry for the architecture this program is built for
// (a 32-bit program runs only on 32-bit Windows; on 64-bit Windows the x64 one runs).
inline constexpr const char16_t* kCatalogDecoration = sizeof(void*) == 8 ? u"NTamd64" : u"NTx86";

// The catalog file name in the text of an INF, chosen as Windows chooses it:
// CatalogFile.<decoration>, then CatalogFile.NT, then CatalogFile, in any [Version]
// section; names and keys without regard to case, a value in double quotes unquoted,
// comments after ';' left out. Nothing when the INF names none (or an empty one).
std::optional<std::u16string> CatalogFileInInfText(std::u16string_view infText,
                                                   std::u16string_view decoration = kCatalogDecoration);

struct InfCatalog {
    enum class State {
        Unreadable,  // the INF cannot be read whole
        NamesNone,   // an unsigned package
        Present,     // the catalog it names is beside it
        Missing,     // the catalog it names is not beside it: the package is incomplete
    };
    State state = State::Unreadable;
    std::u16string path;  // the catalog's path beside the INF, when it names one
};

// Reads the INF (UTF-16LE with its byte-order mark, or 8-bit text in the ANSI code page)
// and looks for the catalog it names beside it.
InfCatalog CheckInfCatalog(const char16_t* infPath);

}  // namespace engine
