// The printer catalogue: series, the models of a series, and look-ups of a model.
#include "engine/printer_installer.h"
#include "platform/profile.h"
#include "platform/services.h"
#include "platform/text.h"

namespace {

const char16_t kSeriesSection[] = u"PRINTER_SERIES";

// Appends the lines of a section as delivered by the profile reader (each ended by a
// zero) to the list, in file order. Only lines whose terminator lies within the first
// `length` characters count. A line of more than 255 characters does not fit the line
// buffer and is left out whole rather than cut into a different name.
void SplitSection(const char16_t* section, std::size_t length, StringList& list) {
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (section[i] != 0) continue;
        std::size_t lineLength = i - lineStart;
        if (lineLength < kLineCapacity) {
            char16_t line[kLineCapacity] = {};
            text::Copy(line, kLineCapacity, section + lineStart);
            list.emplace_back(line);
        }
        lineStart = i + 1;
    }
}

}  // namespace

std::int32_t CPrinterInstaller::GetSeriesList(StringList& list) {
    return GetSeriesModels(kSeriesSection, list);
}

std::int32_t CPrinterInstaller::GetSeriesModels(const char16_t* series, StringList& list) {
    char16_t section[kSectionCapacity] = {};
    std::int32_t n = ReadProfileSection(series, printerInfoPath, section, kSectionCapacity);
    if (n == 0) return 0;
    SplitSection(section, static_cast<std::size_t>(n), list);
    return 1;
}

std::int32_t CPrinterInstaller::IsSeriesModel(const char16_t* model) {
    char16_t section[kSectionCapacity] = {};
    // Read directly: a section that did not fit is still searched as far as it came.
    platform::Dword n = platform::Get<platform::Profile>().GetPrivateProfileSectionW(
        kMainSeries, section, kSectionCapacity, printerInfoPath);
    if (n == 0) return 0;
    StringList lines;
    SplitSection(section, n < kSectionCapacity ? n : kSectionCapacity, lines);
    for (const auto& line : lines) {
        if (text::Equal(line.c_str(), model)) return 1;
    }
    return 0;
}

std::int32_t CPrinterInstaller::FindSeriesOfModel(char16_t* series, std::size_t capacity,
                                                  const char16_t* model) {
    StringList allSeries;
    GetSeriesList(allSeries);
    for (const auto& name : allSeries) {
        StringList models;
        GetSeriesModels(name.c_str(), models);
        bool found = false;
        for (const auto& entry : models) {
            if (text::Equal(entry.c_str(), model)) found = true;
        }
        if (found) {
            text::Copy(series, capacity, name.c_str());
            return 1;
        }
    }
    return 0;
}
