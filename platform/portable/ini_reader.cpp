// The portable profile reader: the results of the two profile calls, written into the
// caller's buffer. It follows the system's profile reader line for line where that
// reader's behaviour is observable (checked against Wine's by the differential test),
// with three deliberate exceptions, all about writing less wrongly:
// - a quoted value that fits the buffer exactly is delivered whole (the system's reader
//   drops its last character);
// - an empty list (section, key names, section names) always ends in two zeros;
// - buffers of one or two characters are never written outside.
#include "platform/portable/ini_reader.h"

#include <algorithm>

#include "platform/portable/profile_lines.h"
#include "platform/read_file.h"

namespace platform {
namespace {

using ini::EnterSection;
using ini::FindValue;
using ini::ProfileLine;
using ini::ProfileLines;
using ini::Trim;
using ini::View;

// At most capacity - 1 characters and a terminating zero; returns the characters copied.
std::size_t CopyBounded(char16_t* dest, std::size_t capacity, View source) {
    std::size_t n = std::min(source.size(), capacity - 1);
    std::copy_n(source.data(), n, dest);
    dest[n] = 0;
    return n;
}

// A value (or default) as the string read delivers it: enclosing quotes, single or
// double, are removed.
std::size_t CopyEntry(char16_t* buffer, std::size_t size, View value) {
    bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                  value.back() == value.front();
    if (!quoted) return CopyBounded(buffer, size, value);
    View inner = value.substr(1);  // still ends in the closing quote
    std::size_t copied = CopyBounded(buffer, size, inner);
    if (copied < inner.size()) return copied;  // cut before the closing quote
    buffer[copied - 1] = 0;
    return copied - 1;
}

// A default value loses its trailing blanks (all but the first character of a default
// made of blanks only, as the system's reader has it).
View TrimDefault(View value) {
    while (value.size() > 1 && value.back() == u' ') value.remove_suffix(1);
    return value;
}

// The lines of a section ("key=value", or the key names alone for a key list), each
// ended by a zero, the list by a second zero. A list that does not fit ends with its last
// string cut and two zeros, and gives size - 2.
Dword ListSection(View content, View section, char16_t* buffer, Dword size, bool withValues) {
    buffer[0] = 0;
    if (size == 1) return 0;
    ProfileLines lines(content);
    if (!EnterSection(lines, section)) {
        buffer[1] = 0;
        return 0;
    }
    std::size_t left = size;
    std::size_t pos = 0;
    ProfileLine line;
    while (lines.Next(line) && !line.isSection) {
        if (left <= 2) break;
        if (line.name.empty() && !line.hasValue) continue;
        if (!line.name.empty() && line.name.front() == u';') continue;  // comment
        if (!withValues && !line.hasValue) continue;
        std::size_t n = CopyBounded(buffer + pos, left - 1, line.name);
        left -= n + 1;
        pos += n + 1;
        if (left < 2) break;
        if (withValues && line.hasValue) {
            buffer[pos - 1] = u'=';
            n = CopyBounded(buffer + pos, left - 1, line.value);
            left -= n + 1;
            pos += n + 1;
        }
    }
    buffer[pos] = 0;
    if (left <= 1) {
        buffer[pos - 1] = 0;
        return size - 2;
    }
    if (pos == 0) buffer[1] = 0;
    return static_cast<Dword>(pos);
}

// The names of all sections (the unnamed ones left out), in the list form above.
Dword ListSectionNames(View content, char16_t* buffer, Dword size) {
    buffer[0] = 0;
    if (size == 1) return 0;
    std::size_t room = size - 1;  // one character stays for the list's final zero
    std::size_t pos = 0;
    ProfileLines lines(content);
    ProfileLine line;
    while (lines.Next(line)) {
        if (!line.isSection || line.name.empty()) continue;
        std::size_t need = line.name.size() + 1;
        if (need >= room) {
            std::copy_n(line.name.data(), room - 1, buffer + pos);
            pos += room - 1;
            buffer[pos++] = 0;
            buffer[pos] = 0;
            return size - 2;
        }
        std::copy_n(line.name.data(), line.name.size(), buffer + pos);
        buffer[pos + line.name.size()] = 0;
        pos += need;
        room -= need;
    }
    buffer[pos] = 0;
    if (pos == 0) buffer[1] = 0;
    return static_cast<Dword>(pos);
}

// The decoded file; empty for a missing file, which reads like a file without sections.
std::u16string LoadProfile(const char16_t* path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return {};  // counts as missing
    return DecodeProfileBytes(bytes);
}

}  // namespace

Dword ReadProfileStringFromText(const std::u16string& content, const char16_t* section, const char16_t* key,
                                const char16_t* defaultValue, char16_t* buffer, Dword size) {
    if (buffer == nullptr || size == 0) return 0;
    View fallback = defaultValue != nullptr ? View(defaultValue) : View();
    if (section == nullptr) return ListSectionNames(content, buffer, size);
    if (key == nullptr) {
        Dword n = ListSection(content, section, buffer, size, false);
        if (buffer[0] == 0) n = static_cast<Dword>(CopyEntry(buffer, size, fallback));
        return n;
    }
    View value;
    if (!FindValue(content, Trim(section), Trim(key), value)) value = TrimDefault(fallback);
    return static_cast<Dword>(CopyEntry(buffer, size, value));
}

Dword ReadProfileSectionFromText(const std::u16string& content, const char16_t* section, char16_t* buffer,
                                 Dword size) {
    if (buffer == nullptr || section == nullptr || size == 0) return 0;
    return ListSection(content, section, buffer, size, true);
}

Dword IniProfile::GetPrivateProfileStringW(const char16_t* section, const char16_t* key,
                                           const char16_t* defaultValue, char16_t* buffer, Dword size,
                                           const char16_t* file) {
    if (buffer == nullptr || size == 0) return 0;
    try {
        return ReadProfileStringFromText(LoadProfile(file), section, key, defaultValue, buffer, size);
    } catch (...) {
        // Out of memory for the file: it reads as missing.
        return ReadProfileStringFromText(std::u16string(), section, key, defaultValue, buffer, size);
    }
}

Dword IniProfile::GetPrivateProfileSectionW(const char16_t* section, char16_t* buffer, Dword size,
                                            const char16_t* file) {
    if (buffer == nullptr || section == nullptr || size == 0) return 0;
    try {
        return ReadProfileSectionFromText(LoadProfile(file), section, buffer, size);
    } catch (...) {
        return ReadProfileSectionFromText(std::u16string(), section, buffer, size);
    }
}

}  // namespace platform
