// The portable profile reader on arbitrary file contents: decoding, string reads and
// section reads at many buffer sizes. Every result must stay inside its buffer (a guard
// behind it stays untouched), be terminated as the list or string form requires, and
// agree with the same read into a large buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "platform/portable/ini_reader.h"
#include "platform/text.h"

using platform::Dword;

namespace {

constexpr char16_t kUnwritten = 0xA5A5;
constexpr std::size_t kGuard = 16;
constexpr Dword kFixedSizes[] = {0, 1, 2, 3, 7};

// Tiny sizes and the sizes around the whole result, where cutting starts.
std::vector<Dword> Sizes(Dword fullLength) {
    std::vector<Dword> sizes(std::begin(kFixedSizes), std::end(kFixedSizes));
    for (Dword extra = 0; extra <= 3; ++extra) sizes.push_back(fullLength + extra);
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    return sizes;
}

void Require(bool condition) {
    if (!condition) std::abort();
}

struct Result {
    Dword value = 0;
    std::vector<char16_t> buffer;
};

template <class Read>
Result Run(Dword size, Read read) {
    Result r;
    r.buffer.assign(size + kGuard, kUnwritten);
    r.value = read(r.buffer.data(), size);
    for (std::size_t i = size; i < r.buffer.size(); ++i) Require(r.buffer[i] == kUnwritten);
    if (size == 0) Require(r.value == 0 && r.buffer[0] == kUnwritten);
    return r;
}

// A string result: `value` characters and a zero, and the same text as the large read, cut.
template <class Read>
void CheckString(Dword large, Read read) {
    Result full = Run(large, read);
    Require(full.value < large && full.buffer[full.value] == 0);
    for (Dword size : Sizes(full.value)) {
        Result r = Run(size, read);
        if (size == 0) continue;
        Require(r.value == std::min<Dword>(full.value, size - 1));
        Require(text::LengthBounded(r.buffer.data(), size) == r.value);
        Require(std::equal(r.buffer.begin(), r.buffer.begin() + r.value, full.buffer.begin()));
    }
}

// A list result: strings ended by zeros, then a second zero; a list that did not fit gives
// size - 2 and is otherwise a prefix of the large read with some characters cut to zero.
template <class Read>
void CheckList(Dword large, Read read) {
    Result full = Run(large, read);
    Require(full.value < large - 2 && full.buffer[full.value] == 0);
    for (Dword size : Sizes(full.value)) {
        Result r = Run(size, read);
        if (size == 0) continue;
        if (size == 1) {
            Require(r.value == 0 && r.buffer[0] == 0);
            continue;
        }
        Require(r.value <= size - 2);
        // Two zeros end the list: the last string's and the list's, or, when the last
        // string was cut, the cut string's and one more in the buffer's last character.
        Require(r.buffer[r.value] == 0);
        if (r.value == 0) {
            Require(r.buffer[1] == 0);
        } else {
            Require(r.buffer[r.value - 1] == 0 || (r.value == size - 2 && r.buffer[r.value + 1] == 0));
        }
        if (r.value < size - 2) {
            Require(r.value == full.value);
            Require(std::equal(r.buffer.begin(), r.buffer.begin() + r.value, full.buffer.begin()));
        } else {
            for (Dword i = 0; i < r.value; ++i) Require(r.buffer[i] == full.buffer[i] || r.buffer[i] == 0);
        }
    }
}

// The strings of a list result.
std::vector<std::u16string> Strings(const std::vector<char16_t>& list, Dword length) {
    std::vector<std::u16string> out;
    for (Dword i = 0; i < length;) {
        std::u16string s(list.data() + i);
        i += static_cast<Dword>(s.size()) + 1;
        out.push_back(s);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string content = platform::DecodeProfileBytes(bytes);
    Require(content.size() <= bytes.size());
    // Large enough for any result from this content: it never grows by more than two
    // zeros, and a default value is short.
    const Dword large = static_cast<Dword>(content.size()) + 64;

    CheckList(large, [&](char16_t* b, Dword n) {
        return platform::ReadProfileStringFromText(content, nullptr, nullptr, nullptr, b, n);
    });

    // Sections named in the content (at most three) and two fixed names.
    std::vector<std::u16string> sections = {u"", u"KV系列"};
    Result names = Run(large, [&](char16_t* b, Dword n) {
        return platform::ReadProfileStringFromText(content, nullptr, nullptr, nullptr, b, n);
    });
    for (const auto& name : Strings(names.buffer, names.value)) {
        if (sections.size() >= 5) break;
        sections.push_back(name);
    }

    for (const auto& section : sections) {
        const char16_t* s = section.c_str();
        CheckList(large, [&](char16_t* b, Dword n) {
            return platform::ReadProfileSectionFromText(content, s, b, n);
        });
        Result lines = Run(large, [&](char16_t* b, Dword n) {
            return platform::ReadProfileSectionFromText(content, s, b, n);
        });
        std::vector<std::u16string> keys = {u""};
        for (const auto& line : Strings(lines.buffer, lines.value)) {
            if (keys.size() >= 4) break;
            keys.push_back(line.substr(0, line.find(u'=')));
        }
        for (const auto& key : keys) {
            CheckString(large, [&](char16_t* b, Dword n) {
                return platform::ReadProfileStringFromText(content, s, key.c_str(), nullptr, b, n);
            });
        }
        CheckString(large, [&](char16_t* b, Dword n) {
            return platform::ReadProfileStringFromText(content, s, u"missing", u"'dflt'  ", b, n);
        });
        // The key names of a section fall back to the default when the list is empty, so
        // only the bounds are checked.
        for (Dword size : kFixedSizes) {
            Result r = Run(size, [&](char16_t* b, Dword n) {
                return platform::ReadProfileStringFromText(content, s, nullptr, u"dflt", b, n);
            });
            if (size > 0) Require(r.value < size && r.buffer[r.value] == 0);
        }
    }
    return 0;
}
