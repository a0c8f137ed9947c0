// The catalog-file entry of a driver INF's [Version] section. The input's bytes are the
// INF's text as UTF-16LE units.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "engine/inf_catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string inf;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        inf.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    for (const char16_t* decoration : {u"NTamd64", u"NTx86"}) {
        std::optional<std::u16string> catalog = engine::CatalogFileInInfText(inf, decoration);
        // A name is never empty, and always a piece of the INF's text.
        if (catalog && (catalog->empty() || inf.find(*catalog) == std::u16string::npos)) std::abort();
    }
    return 0;
}
