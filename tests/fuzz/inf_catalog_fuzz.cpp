// The catalog-file entry of a driver INF's [Version] section, from the INF's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "engine/inf/inf_catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view inf(reinterpret_cast<const char*>(data), size);
    for (const char16_t* decoration : {u"NTamd64", u"NTx86"}) {
        std::optional<std::u16string> catalog = engine::CatalogFileInInf(inf, decoration, 0x0804);
        // A name is never empty.
        if (catalog && catalog->empty()) std::abort();
    }
    return 0;
}
