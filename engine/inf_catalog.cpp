#include "engine/inf_catalog.h"

#include <cstddef>
#include <vector>

#include "platform/codepage.h"
#include "platform/read_file.h"
#include "platform/services.h"
#include "platform/text.h"

namespace engine {
namespace {

// Far beyond any driver INF; a larger file is not read at all.
constexpr std::size_t kMaxInfBytes = 4 * 1024 * 1024;
constexpr std::size_t kMaxInfLineBytes = 64 * 1024;

// The file's bytes as they are, up to the bound.
class BoundedBytes final : public platform::LineVisitor {
public:
    bool OnLine(std::string_view line) override {
        if (bytes.size() + line.size() + 1 > kMaxInfBytes) {
            tooLarge = true;
            return false;
        }
        bytes.append(line);
        bytes.push_back('\n');
        return true;
    }
    std::string bytes;
    bool tooLarge = false;
};

std::optional<std::u16string> Decoded(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string wide;
        wide.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 static_cast<unsigned char>(bytes[i + 1]) << 8));
        }
        return wide;
    }
    if (bytes.empty()) return std::u16string();
    // 8-bit text never needs more UTF-16 units than it has bytes.
    std::vector<char16_t> wide(bytes.size());
    int converted = platform::Get<platform::CodePage>().MultiByteToWideChar(
        platform::kThreadAnsiCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
        static_cast<int>(wide.size()));
    if (converted <= 0) return std::nullopt;
    return std::u16string(wide.data(), static_cast<std::size_t>(converted));
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r';
}

std::u16string_view Trimmed(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The line without a comment: ';' outside double quotes starts one.
std::u16string_view WithoutComment(std::u16string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == u'"') quoted = !quoted;
        if (line[i] == u';' && !quoted) return line.substr(0, i);
    }
    return line;
}

bool SameNoCase(std::u16string_view a, std::u16string_view b) {
    return text::EqualNoCase(std::u16string(a).c_str(), std::u16string(b).c_str());
}

}  // namespace

std::optional<std::u16string> CatalogFileInInfText(std::u16string_view infText,
                                                   std::u16string_view decoration) {
    const std::u16string keys[] = {u"CatalogFile." + std::u16string(decoration), u"CatalogFile.NT",
                                   u"CatalogFile"};
    std::optional<std::u16string> found[3];
    bool inVersion = false;
    while (!infText.empty()) {
        std::size_t end = infText.find(u'\n');
        std::u16string_view line = Trimmed(WithoutComment(infText.substr(0, end)));
        infText.remove_prefix(end == std::u16string_view::npos ? infText.size() : end + 1);
        if (!line.empty() && line.front() == u'[') {
            std::size_t close = line.find(u']');
            inVersion = close != std::u16string_view::npos &&
                        SameNoCase(Trimmed(line.substr(1, close - 1)), u"Version");
            continue;
        }
        std::size_t equals = line.find(u'=');
        if (!inVersion || equals == std::u16string_view::npos) continue;
        std::u16string_view key = Trimmed(line.substr(0, equals));
        std::u16string_view value = Trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
            value = value.substr(1, value.size() - 2);
        for (std::size_t k = 0; k < 3; ++k) {
            // The first entry of a key counts, as in a section read by key.
            if (!found[k] && SameNoCase(key, keys[k])) found[k] = std::u16string(value);
        }
    }
    for (const auto& name : found) {
        if (name) return name->empty() ? std::nullopt : name;
    }
    return std::nullopt;
}

InfCatalog CheckInfCatalog(const char16_t* infPath) {
    InfCatalog result;
    BoundedBytes file;
    if (!infPath || !platform::ForEachLine(infPath, kMaxInfLineBytes, file) || file.tooLarge) return result;
    std::optional<std::u16string> infText = Decoded(file.bytes);
    if (!infText) return result;
    std::optional<std::u16string> name = CatalogFileInInfText(*infText);
    if (!name) {
        result.state = InfCatalog::State::NamesNone;
        return result;
    }
    std::u16string folder(infPath);
    std::size_t slash = folder.find_last_of(u"\\/");
    folder.resize(slash == std::u16string::npos ? 0 : slash + 1);
    result.path = folder + *name;
    result.state = platform::FileStateOf(result.path.c_str()) == platform::FileState::Readable
                       ? InfCatalog::State::Present
                       : InfCatalog::State::Missing;
    return result;
}

}  // namespace engine
