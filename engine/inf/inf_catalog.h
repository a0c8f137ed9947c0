// The catalog file a driver INF names in its [Version] section: the signature of the
// driver package, which Windows looks for beside the INF when the package is staged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/machine/machine.h"
#include "platform/system_version.h"

namespace engine {

// The decoration of the CatalogFile entry for an architecture: "NTamd64", "NTx86".
std::u16string CatalogDecoration(Architecture architecture);

// The catalog file name in an INF's bytes, read as the INF parser reads them
// (engine/inf_file.h) and chosen as Windows chooses it: CatalogFile.<decoration>, then
// CatalogFile.NT, then CatalogFile, in the [Version] section; the first entry of a key
// counts, its %tokens% replaced from the Strings section for the system's language.
// Nothing when the INF names none (or an empty one) or cannot be parsed.
std::optional<std::u16string> CatalogFileInInf(std::string_view infBytes, std::u16string_view decoration,
                                               platform::LangId language);

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

// Reads the INF (no more than a driver INF's bound) and looks for the catalog it names,
// for the decoration and language, beside it.
InfCatalog CheckInfCatalog(const char16_t* infPath, std::u16string_view decoration,
                           platform::LangId language);

}  // namespace engine
