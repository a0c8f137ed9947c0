// The models section Windows reads, as the "INF Manufacturer Section" page and its
// "Combining platform extensions with operating system versions" describe the choice
// (Wine has no SetupDiGetActualModelsSectionW to compare with).
#include "engine/inf/models_section.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/text_convert.h"

namespace {

using engine::Architecture;

engine::TargetSystem System(Architecture architecture, platform::OsVersion version) {
    engine::TargetSystem system;
    system.architecture = architecture;
    system.version = version;
    return system;
}

TEST(ChooseModelsSectionTest, TheBestMatchingDecoration) {
    const platform::OsVersion win10 = {10, 0, 19045, 0x100, 1};  // workstation, single user
    const platform::OsVersion win7 = {6, 1, 7601, 0x100, 1};
    const platform::OsVersion server = {10, 0, 17763, 0x110, 3};
    const platform::OsVersion xpDatacenter = {5, 1, 2600, 0x80, 3};
    const auto amd64 = Architecture::Amd64;
    const auto x86 = Architecture::X86;
    struct Case {
        std::vector<std::u16string> decorations;
        Architecture architecture;
        platform::OsVersion version;
        std::optional<std::u16string> section;
    } cases[] = {
        {{u"NTamd64", u"NTx86"}, amd64, win10, u"M.NTamd64"},
        {{u"NTamd64", u"NTx86"}, x86, win10, u"M.NTx86"},
        {{u"ntAMD64"}, amd64, win10, u"M.ntAMD64"},  // decorations ignore case
        // The undecorated section, and a decoration without architecture, only on x86.
        {{}, amd64, win10, std::nullopt},
        {{}, x86, win10, u"M"},
        {{u"NTx86"}, amd64, win10, std::nullopt},
        {{u"NTamd64"}, x86, win10, u"M"},
        {{u"NT"}, amd64, win10, std::nullopt},
        {{u"NT"}, x86, win10, u"M.NT"},
        {{u"NT", u"NTx86"}, x86, win10, u"M.NTx86"},      // the architecture's own first
        {{u"NTx86", u"NT.6.1"}, x86, win7, u"M.NT.6.1"},  // a higher version first
        // The highest version not above the running one.
        {{u"NTamd64", u"NTamd64.10.0", u"NTamd64.6.1"}, amd64, win10, u"M.NTamd64.10.0"},
        {{u"NTamd64.6.1", u"NTamd64", u"NTamd64.10.0"}, amd64, win7, u"M.NTamd64.6.1"},
        {{u"NTamd64.10.0"}, amd64, win7, std::nullopt},
        {{u"NTamd64.6"}, amd64, win7, u"M.NTamd64.6"},
        {{u"NTamd64.6.3"}, amd64, win7, std::nullopt},
        {{u"NTamd64.10.0...17763", u"NTamd64.10.0"}, amd64, win10, u"M.NTamd64.10.0...17763"},
        {{u"NTamd64.10.0...22000", u"NTamd64.10.0"}, amd64, win10, u"M.NTamd64.10.0"},
        {{u"NTamd64.6.1...9200"}, amd64, win10, u"M.NTamd64.6.1...9200"},  // a build of an older version
        // Product type and suite mask only where the system is of them.
        {{u"NTamd64.10.0.3", u"NTamd64"}, amd64, win10, u"M.NTamd64"},
        {{u"NTamd64.10.0.3", u"NTamd64"}, amd64, server, u"M.NTamd64.10.0.3"},
        {{u"NTamd64.10.0.0x1", u"NTamd64"}, amd64, win10, u"M.NTamd64.10.0.0x1"},
        {{u"NTamd64.10.0..0x10"}, amd64, server, u"M.NTamd64.10.0..0x10"},
        {{u"NTamd64.10.0..0x10"}, amd64, win10, std::nullopt},
        // Of one version the closest: the product type named, then the most suites.
        {{u"NTamd64.10.0", u"NTamd64.10.0.1"}, amd64, win10, u"M.NTamd64.10.0.1"},
        {{u"NTamd64.10.0..0x10", u"NTamd64.10.0..0x110"}, amd64, server, u"M.NTamd64.10.0..0x110"},
        {{u"NTamd64.10.0..0x110", u"NTamd64.10.0.3"}, amd64, server, u"M.NTamd64.10.0.3"},
        {{u"NT.10.0.3", u"NTx86.10.0"}, x86, server, u"M.NTx86.10.0"},
        // "A specific version number takes precedence over the product type and suite mask."
        {{u"NT", u"NT.5", u"NT.5.5", u"NT....0x80"}, x86, xpDatacenter, u"M.NT.5"},
        // Decorations that name nothing Windows knows apply nowhere.
        {{u"NTarm64", u"NTia64", u"Win10", u"NTamd64.ten", u"NTamd64.10.0.1.0.0.0", u""},
         amd64,
         win10,
         std::nullopt},
        // An unknown version (no RtlGetVersion) meets only decorations without one.
        {{u"NTamd64.6.1", u"NTamd64"}, amd64, {}, u"M.NTamd64"},
    };
    for (const Case& c : cases) {
        std::string what;
        for (const std::u16string& d : c.decorations) what += Utf8(d.c_str()) + " ";
        EXPECT_EQ(engine::ChooseModelsSection(u"M", c.decorations, System(c.architecture, c.version)),
                  c.section)
            << what << (c.architecture == x86 ? "x86 " : "amd64 ") << c.version.majorVersion << "."
            << c.version.minorVersion;
    }
}

}  // namespace
