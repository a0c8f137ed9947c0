#include "platform/portable/profile_lines.h"

#include "platform/text.h"

namespace platform::ini {
namespace {

// Tab to carriage return, the old end-of-file mark (Ctrl-Z) and the space.
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

// Names and values end at an embedded zero character.
View UpToZero(View v) {
    return v.substr(0, v.find(u'\0'));
}

}  // namespace

View Trim(View v) {
    return TrimEnd(TrimStart(v));
}

bool SameName(View a, View b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (text::UpperAscii(a[i]) != text::UpperAscii(b[i])) return false;
    }
    return true;
}

bool ProfileLines::Next(ProfileLine& line) {
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

View ProfileLines::NextRawLine() {
    std::size_t start = pos_;
    while (pos_ < content_.size() && content_[pos_] != u'\r' && content_[pos_] != u'\n') ++pos_;
    View raw = content_.substr(start, pos_ - start);
    while (pos_ < content_.size() && (content_[pos_] == u'\r' || content_[pos_] == u'\n')) ++pos_;
    return raw;
}

bool EnterSection(ProfileLines& lines, View section) {
    if (section.empty()) return true;
    ProfileLine line;
    while (lines.Next(line)) {
        if (line.isSection && SameName(line.name, section)) return true;
    }
    return false;
}

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

}  // namespace platform::ini
