#include "engine/install/device_matching.h"

#include <new>
#include <string_view>

#include "engine/inf/inf_file.h"
#include "engine/inf/inf_model_line.h"
#include "engine/limits.h"
#include "platform/read_file.h"
#include "platform/services.h"

namespace engine {

namespace {

InfHardwareId Failed(InfLookup lookup) {
    InfHardwareId result;
    result.lookup = lookup;
    return result;
}

}  // namespace

InfHardwareId HardwareIdInInf(const char16_t* infPath, const char16_t* quotedName, std::size_t length,
                              const TargetSystem& system) {
    if (infPath == nullptr || quotedName == nullptr) return Failed(InfLookup::Unreadable);
    ModelLineSearch search;
    try {
        std::string bytes;
        // A missing file, or the bare driver folder of a model without a print-head type.
        switch (platform::ReadWholeFileUpTo(infPath, kMaxInfBytes, bytes)) {
            case platform::BoundedRead::Read:
                break;
            case platform::BoundedRead::Unreadable:
                return Failed(InfLookup::Unreadable);
            case platform::BoundedRead::TooLarge:
                return Failed(InfLookup::TooLarge);
        }
        search = FindModelHardwareId(bytes, InfNamePattern(quotedName), length, system, kHardwareIdCapacity);
    } catch (const std::bad_alloc&) {
        return Failed(InfLookup::NoMemory);
    }
    if (!search.isInf) return Failed(InfLookup::NotAnInf);
    if (!search.hardwareId) return Failed(InfLookup::NoModelLine);
    InfHardwareId result;
    result.lookup = InfLookup::Found;
    result.id = std::move(*search.hardwareId);
    return result;
}

std::u16string InfLookupText(InfLookup lookup) {
    switch (lookup) {
        case InfLookup::Found:
            return u"found";
        case InfLookup::Unreadable:
            return u"the file cannot be read";
        case InfLookup::TooLarge:
            return u"the file is larger than 16 MiB";
        case InfLookup::NoMemory:
            return u"there is not enough memory to read the file";
        case InfLookup::NotAnInf:
            return u"the file is no INF file (a section name without its closing bracket)";
        case InfLookup::NoModelLine:
            return u"no USB model line of the printer in the models section for this Windows";
    }
    return u"";
}

}  // namespace engine
