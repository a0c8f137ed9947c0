// The portable profile reader. It follows the system's profile reader line for line where
// that reader's behaviour is observable (checked against Wine's by the differential test),
// with three deliberate exceptions, all about writing less wrongly:
// - a quoted value that fits the buffer exactly is delivered whole (the system's reader
//   drops its last character);
// - an empty list (section, key names, section names) always ends in two zeros;
// - buffers of one or two characters are never written outside.
#include "platform/portable/ini_reader.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>

#include "platform/read_file.h"
#include "platform/text.h"

namespace platform {
namespace {

#include "platform/portable/gbk_table.inc"

using View = std::u16string_view;

// ---------------------------------------------------------------------------------------
// Decoding, with the replacement rules of the system's converters: a byte sequence that
// is not valid never stops the decoding.

constexpr char32_t kInvalid = 0xFFFFFFFF;
constexpr char16_t kReplacement = 0xFFFD;

unsigned ByteAt(const std::string& bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

void DecodeUtf16(const std::string& bytes, std::size_t start, bool bigEndian, std::u16string& out) {
    std::size_t i = start;
    for (; i + 1 < bytes.size(); i += 2) {
        unsigned first = ByteAt(bytes, i);
        unsigned second = ByteAt(bytes, i + 1);
        out.push_back(static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first)));
    }
    // An odd last byte stands for a character of its own.
    if (i < bytes.size()) out.push_back(static_cast<char16_t>(ByteAt(bytes, i)));
}

// One UTF-8 sequence after its lead byte. `end` is where a complete sequence would end;
// `pos` moves past the continuation bytes that were accepted, so that a broken sequence
// gives one replacement character and decoding resumes at the first byte not accepted.
char32_t DecodeUtf8Sequence(const std::string& bytes, std::size_t& pos, std::size_t end, unsigned lead,
                            unsigned trailCount) {
    static constexpr unsigned kLeadMask[4] = {0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = lead & kLeadMask[trailCount];
    unsigned c = 0;
    switch (trailCount) {
        case 3:
            if ((c = ByteAt(bytes, end - 3) ^ 0x80u) >= 0x40) return kInvalid;
            code = code << 6 | c;
            ++pos;
            if (code < 0x10) return kInvalid;  // overlong
            [[fallthrough]];
        case 2:
            if ((c = ByteAt(bytes, end - 2) ^ 0x80u) >= 0x40) return kInvalid;
            code = code << 6 | c;
            if (code >= (0x110000 >> 6)) return kInvalid;  // beyond U+10FFFF
            ++pos;
            if (code < 0x20) return kInvalid;                                     // overlong
            if (code >= (0xD800 >> 6) && code <= (0xDFFF >> 6)) return kInvalid;  // surrogate
            [[fallthrough]];
        case 1:
            if ((c = ByteAt(bytes, end - 1) ^ 0x80u) >= 0x40) return kInvalid;
            code = code << 6 | c;
            ++pos;
            if (code < 0x80) return kInvalid;  // overlong
            return code;
        default:
            return kInvalid;
    }
}

void DecodeUtf8(const std::string& bytes, std::size_t start, std::u16string& out) {
    const std::size_t n = bytes.size();
    std::size_t i = start;
    while (i < n) {
        unsigned lead = ByteAt(bytes, i++);
        if (lead < 0x80) {
            out.push_back(static_cast<char16_t>(lead));
            continue;
        }
        unsigned trailCount = (lead >= 0xC2 && lead <= 0xDF)   ? 1
                              : (lead >= 0xE0 && lead <= 0xEF) ? 2
                              : (lead >= 0xF0 && lead <= 0xF4) ? 3
                                                               : 0;
        std::size_t end = i + trailCount;
        if (end > n) {
            // A sequence cut by the end of the data takes the rest of it along.
            out.push_back(kReplacement);
            break;
        }
        char32_t code = DecodeUtf8Sequence(bytes, i, end, lead, trailCount);
        if (code == kInvalid) {
            out.push_back(kReplacement);
        } else if (code < 0x10000) {
            out.push_back(static_cast<char16_t>(code));
        } else {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        }
    }
}

// Code page 936: a lead byte takes the next byte along unless that is a zero or missing.
void DecodeGbk(const std::string& bytes, std::u16string& out) {
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned b = ByteAt(bytes, i);
        if (b < 0x80) {
            out.push_back(static_cast<char16_t>(b));
        } else if (b == 0x80) {
            out.push_back(0x20AC);
        } else if (b == 0xFF) {
            out.push_back(0xF8F5);
        } else if (i + 1 < n && bytes[i + 1] != 0) {
            unsigned trail = ByteAt(bytes, ++i);
            bool mapped = trail >= 0x40 && trail <= 0xFE;
            out.push_back(mapped ? kGbkTable[(b - 0x81) * kGbkTrailCount + (trail - 0x40)] : u'?');
        } else {
            out.push_back(u'?');
        }
    }
}

bool StartsWithBytes(const std::string& bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() && std::string_view(bytes).substr(0, prefix.size()) == prefix;
}

// ---------------------------------------------------------------------------------------
// Lines of a profile file.

bool IsProfileSpace(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

View TrimStart(View v) {
    while (!v.empty() && IsProfileSpace(v.front())) v.remove_prefix(1);
    return v;
}

View TrimEnd(View v) {
    while (!v.empty() && IsProfileSpace(v.back())) v.remove_suffix(1);
    return v;
}

View Trim(View v) {
    return TrimEnd(TrimStart(v));
}

// Names and values end at an embedded zero character.
View UpToZero(View v) {
    return v.substr(0, v.find(u'\0'));
}

bool SameName(View a, View b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (text::UpperAscii(a[i]) != text::UpperAscii(b[i])) return false;
    }
    return true;
}

struct ProfileLine {
    bool isSection = false;
    View name;  // of the section or the key
    bool hasValue = false;
    View value;
};

// The non-blank lines of a profile text, as section headers and key lines. Lines end at
// CR, LF or any run of them; blanks around names, "=" and values do not count. A line
// "[name]..." opens a section named by what lies between "[" and the last "]"; a line
// without "]" is an ordinary key line. Lines before the first header belong to a section
// without a name.
class ProfileLines {
public:
    explicit ProfileLines(View content) : content_(content) {}

    bool Next(ProfileLine& line) {
        while (pos_ < content_.size()) {
            View raw = Trim(NextRawLine());
            if (raw.empty()) continue;
            if (raw.front() == u'[') {
                std::size_t close = raw.rfind(u']');
                if (close != View::npos) {
                    line = ProfileLine{true, UpToZero(Trim(raw.substr(1, close - 1))), false, {}};
                    previousKey_ = PreviousKey::kNone;
                    return true;
                }
            }
            std::size_t equals = raw.find(u'=');
            View name = raw;
            View value;
            if (equals != View::npos) {
                name = TrimEnd(raw.substr(0, equals));
                value = UpToZero(TrimStart(raw.substr(equals + 1)));
            }
            // Of several "=value" lines in a row only the first is kept.
            if (name.empty() && previousKey_ == PreviousKey::kUnnamed) continue;
            line = ProfileLine{false, UpToZero(name), equals != View::npos, value};
            previousKey_ = line.name.empty() ? PreviousKey::kUnnamed : PreviousKey::kNamed;
            return true;
        }
        return false;
    }

private:
    enum class PreviousKey { kNone, kNamed, kUnnamed };

    View NextRawLine() {
        std::size_t start = pos_;
        while (pos_ < content_.size() && content_[pos_] != u'\r' && content_[pos_] != u'\n') ++pos_;
        View raw = content_.substr(start, pos_ - start);
        while (pos_ < content_.size() && (content_[pos_] == u'\r' || content_[pos_] == u'\n')) ++pos_;
        return raw;
    }

    View content_;
    std::size_t pos_ = 0;
    PreviousKey previousKey_ = PreviousKey::kNone;
};

// Positions the reader after the header of the first section called `section` (the
// unnamed leading section for an empty name). Only that first section is ever read: a
// later section of the same name is not merged into it.
bool EnterSection(ProfileLines& lines, View section) {
    if (section.empty()) return true;
    ProfileLine line;
    while (lines.Next(line)) {
        if (line.isSection && SameName(line.name, section)) return true;
    }
    return false;
}

// The first key of that name in the section; false when there is none or it has no "=".
bool FindValue(View content, View section, View key, View& value) {
    ProfileLines lines(content);
    if (!EnterSection(lines, section)) return false;
    ProfileLine line;
    while (lines.Next(line) && !line.isSection) {
        if (SameName(line.name, key)) {
            value = line.value;
            return line.hasValue;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------
// Writing results.

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

// ---------------------------------------------------------------------------------------
// Files.

// The decoded file; empty for a missing file, which reads like a file without sections.
std::u16string LoadProfile(const char16_t* path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return {};  // counts as missing
    return DecodeProfileBytes(bytes);
}

}  // namespace

std::u16string DecodeProfileBytes(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    if (StartsWithBytes(bytes, "\xEF\xBB\xBF")) {
        DecodeUtf8(bytes, 3, out);
    } else if (StartsWithBytes(bytes, "\xFF\xFE")) {
        DecodeUtf16(bytes, 2, false, out);
    } else if (StartsWithBytes(bytes, "\xFE\xFF")) {
        DecodeUtf16(bytes, 2, true, out);
    } else {
        DecodeGbk(bytes, out);
    }
    return out;
}

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
