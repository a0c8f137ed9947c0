// A driver INF file read as Windows' INF parser reads it: sections, lines of a key and
// comma-separated fields, quotes, comments, line continuation and %token% strings.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/system_version.h"

namespace engine {

// A driver INF larger than this is no driver INF: it is not read further.
constexpr std::size_t kMaxInfBytes = 16 * 1024 * 1024;

class InfFile {
public:
    struct Line {
        std::optional<std::u16string> key;   // before "=", or the only field of a line without one
        std::vector<std::u16string> fields;  // as written: quotes resolved, %tokens% not yet
    };

    // The file's bytes: UTF-16LE after its byte-order mark, UTF-8 after its byte-order
    // mark, anything else 8-bit text in the calling thread's ANSI code page (converted
    // through platform/codepage.h before any of it is read, so that a double-byte
    // character is never taken for the ASCII character of one of its bytes). Only the
    // lines of the named sections are kept, and those of the Strings section Windows
    // takes for the system's language (below), so that memory follows what is asked for,
    // not the file. Nothing when the file is larger than kMaxInfBytes or its text cannot
    // be converted, or when a section name lacks its closing bracket, which makes the
    // whole file unreadable to Windows.
    static std::optional<InfFile> Parse(std::string_view bytes, const std::vector<std::u16string>& sections,
                                        platform::LangId language);

    // The lines of a section (its name compared without regard to case), in the file's
    // order; a section named twice is one.
    std::vector<const Line*> LinesOf(std::u16string_view section) const;
    // A field with each %token% replaced by its text in the Strings section for the
    // language and %% by %; a token that section does not define stays as written.
    // The section is the one "INF Strings Section" says Windows takes for the locale
    // assigned to the computer: [Strings.LLLL] of its LANGID (four hexadecimal digits),
    // else the one of its primary language with SUBLANG_NEUTRAL, else the first one of
    // its primary language with any sublanguage, else the undecorated [Strings]. Only
    // that one: a token it lacks is not looked up in another.
    std::u16string Expand(std::u16string_view field) const;

private:
    struct Section {
        std::u16string name;
        std::vector<Line> lines;
        // The index of the first line of each key (case folded).
        std::unordered_map<std::u16string, std::size_t> firstOfKey;
    };
    const Section* Find(std::u16string_view name) const;

    std::unordered_map<std::u16string, Section> sections_;  // by name, case folded
    std::u16string strings_;                                // the chosen Strings section, case folded
};

// Names compared as section names and string keys are: ASCII letters without regard to
// case, other characters exactly.
std::u16string Folded(std::u16string_view name);
bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace engine
