// Bounded operations on zero-terminated UTF-16 text, shared by the engine and the USB
// logic. Every copy is bounded by the capacity of its destination (in characters,
// terminator included) and always leaves the destination zero-terminated.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

std::size_t Length(const char16_t* s);
// Length, but never looks further than max characters.
std::size_t LengthBounded(const char16_t* s, std::size_t max);

// Copies at most capacity - 1 characters; returns false when the source was cut.
bool Copy(char16_t* dest, std::size_t capacity, const char16_t* src);
// Appends to the text already in dest; returns false when the source was cut.
bool Append(char16_t* dest, std::size_t capacity, const char16_t* src);

bool Equal(const char16_t* a, const char16_t* b);
// The first n characters of s equal those of prefix (s shorter than n never matches).
bool StartsWith(const char16_t* s, const char16_t* prefix, std::size_t n);
// Case-insensitive comparison over ASCII letters; other characters compare exactly.
bool EqualNoCase(const char16_t* a, const char16_t* b);
bool StartsWithNoCase(const char16_t* s, const char16_t* prefix);

// Position of needle in haystack from position start on, or npos.
std::size_t Find(const char16_t* haystack, const char16_t* needle, std::size_t start = 0);
constexpr std::size_t npos = static_cast<std::size_t>(-1);

// The value between double quotes, as a log line or a reason names it; a value longer
// than `shown` characters is cut there and ends in "...".
std::u16string Quoted(std::u16string_view value, std::size_t shown = npos);

// A value that would end its quotes early in a command line: one that holds a double
// quote, or ends in a backslash, which turns the closing quote into a literal one.
bool BreaksQuotes(const char16_t* value);

char16_t UpperAscii(char16_t c);

// Decimal text of a signed number, as "%d" writes it; with minimumDigits, zeros lead up
// to that many digits, as "%0Nd" writes a number that is not negative.
std::u16string Decimal(long long value, std::size_t minimumDigits = 1);
// Hexadecimal text of a number, as "%x" writes it (capitals: "%X"), zeros leading up to
// minimumDigits digits as with "%0Nx".
std::u16string Hex(unsigned long long value, std::size_t minimumDigits = 1, bool capitals = false);

struct Utf8Converted {
    std::size_t consumed = 0;  // UTF-16 units read
    std::size_t written = 0;   // bytes written
};

// UTF-16 to UTF-8: as many whole characters of s as fit in capacity bytes; a character
// is never split. An unpaired surrogate becomes U+FFFD.
Utf8Converted ToUtf8Bounded(std::u16string_view s, char* out, std::size_t capacity);
// All of s, as ToUtf8Bounded converts it.
std::string ToUtf8(std::u16string_view s);

std::u16string FromUtf8(const std::string& s);

}  // namespace text
