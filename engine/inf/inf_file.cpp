#include "engine/inf/inf_file.h"

#include <unordered_set>

#include "platform/codepage.h"
#include "platform/services.h"
#include "platform/text.h"

namespace engine {
namespace {

// Windows' INF parser ends a file at the first Ctrl+Z, as MS-DOS text files end.
constexpr char16_t kEndOfFile = 0x1A;
// A longer section name makes the file unreadable to Windows.
constexpr std::size_t kMaxSectionName = 255;

// The file's text, as the system's INF parser reads it before it parses anything.
std::optional<std::u16string> Decode(std::string_view bytes) {
    if (bytes.size() > kMaxInfBytes) return std::nullopt;
    std::u16string text;
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        text.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 static_cast<unsigned char>(bytes[i + 1]) << 8));
        }
    } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        text = text::FromUtf8(std::string(bytes.substr(3)));
    } else if (!bytes.empty()) {
        // No byte of a code page's text makes more than one UTF-16 unit.
        text.resize(bytes.size());
        const int length = static_cast<int>(bytes.size());
        const int converted = platform::Get<platform::CodePage>().MultiByteToWideChar(
            platform::kThreadAnsiCodePage, 0, bytes.data(), length, text.data(), length);
        if (converted <= 0) return std::nullopt;
        text.resize(static_cast<std::size_t>(converted));
    }
    std::size_t end = text.find(kEndOfFile);
    if (end != std::u16string::npos) text.resize(end);
    return text;
}

// How closely a Strings section matches the system's language, as "INF Strings Section"
// orders them (lower is closer); nothing for a section that is none or does not match.
std::optional<int> StringsSectionRank(std::u16string_view folded, platform::LangId language) {
    constexpr std::u16string_view kStrings = u"strings";
    constexpr unsigned kPrimaryLanguageBits = 0x3FF;
    if (folded.substr(0, kStrings.size()) != kStrings) return std::nullopt;
    if (folded.size() == kStrings.size()) return 3;
    // ".LLLL": the LANGID in four hexadecimal digits, so that one LANGID is one name.
    std::u16string_view id = folded.substr(kStrings.size());
    if (language == 0 || id.size() != 5 || id[0] != u'.') return std::nullopt;
    unsigned value = 0;
    for (char16_t c : id.substr(1)) {
        const int digit = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'a' && c <= u'f' ? c - u'a' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    const unsigned primary = language & kPrimaryLanguageBits;
    if (value == language) return 0;
    if (value == primary) return 1;  // SUBLANG_NEUTRAL
    if ((value & kPrimaryLanguageBits) == primary) return 2;
    return std::nullopt;
}

char16_t FoldCase(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

enum class FieldEnd { Equals, Comma, LineEnd };

class LineReader {
public:
    explicit LineReader(std::u16string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    char16_t Current() const { return text_[pos_]; }
    void Skip() { ++pos_; }
    static bool IsSpace(char16_t c) {
        if (c == u' ' || (c >= u'\t' && c <= u'\r')) return true;
        return c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
               c == 0x202F || c == 0x205F || c == 0x3000;
    }
    std::size_t LineEnd(std::size_t from) const {
        std::size_t end = text_.find(u'\n', from);
        return end == std::u16string_view::npos ? text_.size() : end;
    }
    void SkipLine() { pos_ = LineEnd(pos_); }

    // "[name]" at the reader; the rest of the line is ignored. Nothing without "]".
    std::optional<std::u16string> SectionName() {
        std::size_t end = LineEnd(pos_);
        std::size_t close = text_.find(u']', pos_);
        if (close == std::u16string_view::npos || close > end || close - pos_ - 1 > kMaxSectionName) {
            return std::nullopt;
        }
        std::u16string name(text_.substr(pos_ + 1, close - pos_ - 1));
        pos_ = end;
        return name;
    }

    // The line at the reader; its fields are read but not kept unless `keep`.
    InfFile::Line ReadLine(bool keep) {
        InfFile::Line line;
        bool first = true;
        for (;;) {
            std::u16string field;
            FieldEnd end = ReadField(first, field);
            first = false;
            if (end == FieldEnd::Equals) {
                if (keep) line.key = std::move(field);
                continue;
            }
            if (keep) line.fields.push_back(std::move(field));
            if (end == FieldEnd::LineEnd) break;
        }
        if (!line.key && line.fields.size() == 1) line.key = line.fields[0];
        return line;
    }

private:
    // One field: blanks around it dropped, blanks inside kept, quoted text taken as it
    // stands ("" for a quote), a backslash that only blanks or a comment follow joins the
    // next line. "=" ends only the first field of a line (the key).
    FieldEnd ReadField(bool mayBeKey, std::u16string& field) {
        std::u16string blanks;  // held until more of the field follows
        bool started = false;
        auto append = [&](std::u16string_view part) {
            field += blanks;
            blanks.clear();
            for (char16_t c : part) field.push_back(c == 0 ? u' ' : c);
            started = true;
        };
        while (!AtEnd() && Current() != u'\n') {
            char16_t c = Current();
            if (c == u';') {
                SkipLine();
                return FieldEnd::LineEnd;
            }
            if (c == u',' || (mayBeKey && c == u'=')) {
                Skip();
                return c == u',' ? FieldEnd::Comma : FieldEnd::Equals;
            }
            if (c == u'"') {
                std::u16string quoted;
                for (Skip(); !AtEnd() && Current() != u'\n'; Skip()) {
                    if (Current() == u'"') {
                        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == u'"') {
                            Skip();
                        } else {
                            Skip();
                            break;
                        }
                    }
                    quoted.push_back(Current());
                }
                append(quoted);  // "" too: the field has begun
                continue;
            }
            if (c == u'\\') {
                std::size_t run = pos_ + 1;
                while (run < text_.size() && text_[run] != u'\n' &&
                       (text_[run] == u'\\' || IsSpace(text_[run]))) {
                    ++run;
                }
                if (run < text_.size() && text_[run] == u';') run = LineEnd(run);
                if (run < text_.size() && text_[run] != u'\n') {
                    append(text_.substr(pos_, run - pos_));
                    pos_ = run;
                    continue;
                }
                blanks.clear();
                if (run >= text_.size()) {
                    pos_ = run;
                    return FieldEnd::LineEnd;
                }
                // The field goes on after the next line's leading blanks.
                for (pos_ = run + 1; !AtEnd() && Current() != u'\n' && IsSpace(Current());) Skip();
                continue;
            }
            if (IsSpace(c)) {
                if (started) blanks.push_back(c);
                Skip();
                continue;
            }
            append(std::u16string_view(&text_[pos_], 1));
            Skip();
        }
        return FieldEnd::LineEnd;
    }

    std::u16string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::u16string Folded(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded) c = FoldCase(c);
    return folded;
}

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

std::optional<InfFile> InfFile::Parse(std::string_view bytes, const std::vector<std::u16string>& wanted,
                                      platform::LangId language) {
    const std::optional<std::u16string> text = Decode(bytes);
    if (!text) return std::nullopt;
    InfFile inf;
    std::unordered_set<std::u16string> wantedNames;
    for (const std::u16string& name : wanted) wantedNames.insert(Folded(name));
    LineReader reader(*text);
    bool inSection = false;
    Section* kept = nullptr;
    bool textBeforeSections = false;
    bool stringsSection = false;
    std::optional<int> stringsRank;  // of the closest Strings section so far, inf.strings_
    while (!reader.AtEnd()) {
        char16_t c = reader.Current();
        if (c == u'\n' || LineReader::IsSpace(c)) {
            reader.Skip();
        } else if (c == u';') {
            reader.SkipLine();
        } else if (c == u'[') {
            std::optional<std::u16string> name = reader.SectionName();
            if (!name) return std::nullopt;
            inSection = true;
            std::u16string folded = Folded(*name);
            stringsSection = stringsSection || folded == u"strings";
            // A closer Strings section replaces the one kept so far, unless that one was asked for.
            bool strings = !inf.strings_.empty() && folded == inf.strings_;
            const std::optional<int> rank = StringsSectionRank(folded, language);
            if (rank && (!stringsRank || *rank < *stringsRank)) {
                if (!inf.strings_.empty() && wantedNames.count(inf.strings_) == 0)
                    inf.sections_.erase(inf.strings_);
                inf.strings_ = folded;
                stringsRank = rank;
                strings = true;
            }
            kept = nullptr;
            if (strings || wantedNames.count(folded) != 0) {
                auto [at, added] = inf.sections_.try_emplace(std::move(folded));
                if (added) at->second.name = *name;
                kept = &at->second;
            }
        } else if (!inSection) {
            // Text before the first section is passed over a character at a time, as the
            // system's parser does; a file with such text and no [Strings] is no INF to it.
            textBeforeSections = true;
            reader.Skip();
        } else {
            InfFile::Line line = reader.ReadLine(kept != nullptr);
            if (!kept) continue;
            if (line.key) kept->firstOfKey.try_emplace(Folded(*line.key), kept->lines.size());
            kept->lines.push_back(std::move(line));
        }
    }
    if (textBeforeSections && !stringsSection) return std::nullopt;
    return inf;
}

const InfFile::Section* InfFile::Find(std::u16string_view name) const {
    auto at = sections_.find(Folded(name));
    return at == sections_.end() ? nullptr : &at->second;
}

std::vector<const InfFile::Line*> InfFile::LinesOf(std::u16string_view name) const {
    std::vector<const Line*> lines;
    if (const Section* section = Find(name)) {
        for (const Line& line : section->lines) lines.push_back(&line);
    }
    return lines;
}

std::u16string InfFile::Expand(std::u16string_view field) const {
    const Section* strings = strings_.empty() ? nullptr : Find(strings_);
    // The first line of a key answers for it, even when it has no field.
    auto lookUp = [strings](std::u16string_view token) -> const std::u16string* {
        if (strings == nullptr) return nullptr;
        auto at = strings->firstOfKey.find(Folded(token));
        if (at == strings->firstOfKey.end()) return nullptr;
        const Line& line = strings->lines[at->second];
        return line.fields.empty() ? nullptr : &line.fields[0];
    };
    std::u16string out;
    std::size_t start = 0;
    bool inToken = false;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != u'%') continue;
        if (!inToken) {
            out.append(field.substr(start, i - start));
        } else {
            std::u16string_view token = field.substr(start + 1, i - start - 1);
            const std::u16string* value = token.empty() ? nullptr : lookUp(token);
            if (token.empty()) {
                out.push_back(u'%');
            } else if (value) {
                out += *value;
            } else {
                out.append(field.substr(start, i - start + 1));
            }
        }
        start = inToken ? i + 1 : i;
        inToken = !inToken;
    }
    out.append(field.substr(start));
    return out;
}

}  // namespace engine
