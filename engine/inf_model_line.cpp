#include "engine/inf_model_line.h"

std::u16string InfNamePattern(const char16_t* quotedName) {
    std::u16string pattern(quotedName);
    const std::u16string_view from = u"Korvel";
    for (std::size_t at = pattern.find(from); at != std::u16string::npos;
         at = pattern.find(from, at + from.size())) {
        pattern.replace(at, from.size(), u"KORVEL");
    }
    return pattern;
}

bool ReadHardwareIdFromInfLine(std::string_view line, std::u16string_view pattern, std::size_t length,
                               char* hardwareId, std::size_t capacity) {
    if (length > pattern.size() || length > line.size()) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(line[i]) != pattern[i]) return false;
    }

    std::size_t c1 = line.find(',');
    if (c1 == std::string_view::npos) return false;
    if (line.find("USB", c1 + 1) == std::string_view::npos) return false;
    std::size_t c2 = line.find(',', c1 + 1);
    std::string_view id =
        c2 == std::string_view::npos ? std::string_view() : line.substr(c1 + 1, c2 - c1 - 1);
    // Model lines are written with blanks after the commas; the ID is what stands
    // between them.
    constexpr std::string_view kBlanks = " \t";
    std::size_t first = id.find_first_not_of(kBlanks);
    id = first == std::string_view::npos ? std::string_view() : id.substr(first, id.find_last_not_of(kBlanks) - first + 1);

    if (id.size() >= capacity) return false;
    for (std::size_t i = 0; i < id.size(); ++i) hardwareId[i] = id[i];
    hardwareId[id.size()] = 0;
    return true;
}
