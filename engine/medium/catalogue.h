// The printer catalogue on the driver medium: its series, the models of a series, and
// each model's printer name and print head. Read through the profile reader, so that
// a UTF-16 catalogue and one in the system's code page read alike.
#pragma once

#include <optional>
#include <string>

#include "engine/limits.h"
#include "engine/medium/medium_paths.h"
#include "platform/types.h"

extern const char16_t kMainSeries[];  // "KV系列", the series the wizard offers

namespace engine {

class Catalogue {
public:
    explicit Catalogue(std::u16string file) : file_(std::move(file)) {}

    const std::u16string& File() const { return file_; }

    // Reads a value into buffer (size characters). False for a missing value, and for
    // one of exactly size - 2 characters, which the profile reader cannot tell from a
    // section that did not fit. The buffer keeps what the reader wrote either way.
    bool ReadValue(const char16_t* section, const char16_t* key, char16_t* buffer, platform::Dword size) const;
    // Reads a section into buffer; its length in characters, or nothing for a missing
    // or empty section and for one that did not fit.
    std::optional<platform::Dword> ReadSection(const char16_t* section, char16_t* buffer,
                                               platform::Dword size) const;

    // The lines of a section in file order, or nothing when it could not be read.
    std::optional<StringList> Lines(const char16_t* section) const;
    std::optional<StringList> SeriesNames() const;
    // The model is listed in the main series, searched as far as its section was read.
    bool ListsInMainSeries(const char16_t* model) const;
    // The first series that lists the model.
    std::optional<std::u16string> SeriesOf(const char16_t* model) const;
    PrintHead PrintHeadOf(const char16_t* entry) const;
    // The printer (queue and driver) name of a catalogue entry, read as ReadValue reads.
    bool ReadPrinterName(const char16_t* entry, char16_t* buffer, platform::Dword size) const;

private:
    std::u16string file_;
};

}  // namespace engine
