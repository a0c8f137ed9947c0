// The lines of a profile (INI) file, as the system's profile reader sees them.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform::ini {

using View = std::u16string_view;

// Without the blanks the profile reader skips around names and values.
View Trim(View v);

// Names match without regard to case.
bool SameName(View a, View b);

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

    bool Next(ProfileLine& line);

private:
    enum class PreviousKey { kNone, kNamed, kUnnamed };

    View NextRawLine();

    View content_;
    std::size_t pos_ = 0;
    PreviousKey previousKey_ = PreviousKey::kNone;
};

// Positions the reader after the header of the first section called `section` (the
// unnamed leading section for an empty name). Only that first section is ever read: a
// later section of the same name is not merged into it.
bool EnterSection(ProfileLines& lines, View section);

// The first key of that name in the section; false when there is none or it has no "=".
bool FindValue(View content, View section, View key, View& value);

}  // namespace platform::ini
