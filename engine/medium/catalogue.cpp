#include "engine/medium/catalogue.h"

#include "platform/profile.h"
#include "platform/services.h"
#include "platform/text.h"

const char16_t kMainSeries[] = u"KV系列";

namespace engine {
namespace {

const char16_t kSeriesSection[] = u"PRINTER_SERIES";
const char16_t kPrinterTypeSection[] = u"PRINTER_TYPE";
const char16_t kPrinterNameSection[] = u"PRINTER_NAME";
// Room for "24" or "9"; a longer value is no print head.
constexpr platform::Dword kPrintHeadCapacity = 20;

// The profile reader reports a section that did not fit as size - 2 characters.
bool DidNotFit(platform::Dword n, platform::Dword size) { return n == size - 2; }

// Appends the lines of a section as delivered by the profile reader (each ended by a
// zero) to the list, in file order. Only lines whose terminator lies within the first
// `length` characters count. A line of more than 255 characters does not fit the line
// buffer and is left out whole rather than cut into a different name.
void SplitSection(const char16_t* section, std::size_t length, StringList& list) {
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (section[i] != 0) continue;
        if (i - lineStart < kLineCapacity) list.emplace_back(section + lineStart, i - lineStart);
        lineStart = i + 1;
    }
}

}  // namespace

bool Catalogue::ReadValue(const char16_t* section, const char16_t* key, char16_t* buffer,
                          platform::Dword size) const {
    platform::Dword n = platform::Get<platform::Profile>().GetPrivateProfileStringW(section, key, nullptr, buffer,
                                                                                   size, file_.c_str());
    return n != 0 && !DidNotFit(n, size);
}

std::optional<platform::Dword> Catalogue::ReadSection(const char16_t* section, char16_t* buffer,
                                                      platform::Dword size) const {
    platform::Dword n =
        platform::Get<platform::Profile>().GetPrivateProfileSectionW(section, buffer, size, file_.c_str());
    if (n == 0 || DidNotFit(n, size)) return std::nullopt;
    return n;
}

std::optional<StringList> Catalogue::Lines(const char16_t* section) const {
    char16_t buffer[kSectionCapacity] = {};
    std::optional<platform::Dword> n = ReadSection(section, buffer, kSectionCapacity);
    if (!n) return std::nullopt;
    StringList lines;
    SplitSection(buffer, *n, lines);
    return lines;
}

std::optional<StringList> Catalogue::SeriesNames() const { return Lines(kSeriesSection); }

bool Catalogue::ListsInMainSeries(const char16_t* model) const {
    char16_t buffer[kSectionCapacity] = {};
    // Read directly: a section that did not fit is still searched as far as it came.
    platform::Dword n =
        platform::Get<platform::Profile>().GetPrivateProfileSectionW(kMainSeries, buffer, kSectionCapacity,
                                                                     file_.c_str());
    if (n == 0) return false;
    StringList lines;
    SplitSection(buffer, n < kSectionCapacity ? n : kSectionCapacity, lines);
    for (const auto& line : lines) {
        if (text::Equal(line.c_str(), model)) return true;
    }
    return false;
}

std::optional<std::u16string> Catalogue::SeriesOf(const char16_t* model) const {
    for (const auto& series : SeriesNames().value_or(StringList{})) {
        for (const auto& entry : Lines(series.c_str()).value_or(StringList{})) {
            if (text::Equal(entry.c_str(), model)) return series;
        }
    }
    return std::nullopt;
}

PrintHead Catalogue::PrintHeadOf(const char16_t* entry) const {
    char16_t value[kPrintHeadCapacity] = {};
    if (!ReadValue(kPrinterTypeSection, entry, value, kPrintHeadCapacity)) return PrintHead::Unknown;
    if (text::Equal(value, u"24")) return PrintHead::Pins24;
    if (text::Equal(value, u"9")) return PrintHead::Pins9;
    return PrintHead::Unknown;
}

bool Catalogue::ReadPrinterName(const char16_t* entry, char16_t* buffer, platform::Dword size) const {
    return ReadValue(kPrinterNameSection, entry, buffer, size);
}

}  // namespace engine
