// Which models section of a driver INF Windows reads on this system: the manufacturer's
// section with the decoration that best matches the architecture and Windows version.
// The system's language, which chooses the INF's Strings section, travels with it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/machine/machine.h"
#include "platform/system_version.h"

namespace engine {

struct TargetSystem {
    Architecture architecture = Architecture::Amd64;
    platform::OsVersion version;  // all zero when unknown: then no versioned decoration applies
    platform::LangId language = 0;  // of the system locale; 0 when unknown: then only [Strings]
};

// The system whose drivers are installed on this machine, in the language of its locale
// (platform::SystemVersion::GetSystemDefaultLangID).
inline TargetSystem TargetSystemOf(const Machine& machine, platform::LangId language) {
    return TargetSystem{machine.DriverArchitecture(), machine.version, language};
}

// The architecture as decorations name it: "x86", "amd64", "arm64".
const char16_t* InfArchitectureName(Architecture architecture);

// The models section a manufacturer line names, as Windows' "INF Manufacturer Section"
// page chooses it: of the decorations nt[arch][.major[.minor[.productType[.suiteMask
// [.build]]]]] that apply (the running architecture, or none on x86; a version not above
// the running one; the product type and suite, if given), the one that matches the
// system most closely: the highest version ("a specific version number takes precedence
// over the product type and suite mask"), then one naming the architecture, then one
// naming the product type, then the one naming the most suites; of equals, the first
// listed. Without one, the undecorated section on x86 and none elsewhere.
std::optional<std::u16string> ChooseModelsSection(std::u16string_view name,
                                                  const std::vector<std::u16string>& decorations,
                                                  const TargetSystem& system);

}  // namespace engine
