// The program's command line split into its arguments as Windows' own parser splits it
// (CommandLineToArgvW), so that a deployment system's quoting means here what it means
// to every other program it starts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Element 0 is the program name: up to its closing quote when it starts with one (the
// quotes are dropped and nothing in between is special), else up to the first blank or
// tab. A line that starts with a blank has an empty program name; an empty line gives
// only that empty name.
//
// The arguments after it are separated by blanks and tabs outside quotes. A double quote
// after an even number 2n of backslashes gives n backslashes and starts or ends a quoted
// part; after an odd number 2n + 1 it gives n backslashes and a literal quote. Inside a
// quoted part, two quotes give one literal quote and end the quoted part. Backslashes
// not before a quote are literal. A line that ends inside quotes ends its last argument.
std::vector<std::u16string> SplitCommandLine(std::u16string_view line);

}  // namespace engine
