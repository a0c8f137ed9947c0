// Checks of the setup log's text that hold on every system: the system's own text for an
// error code differs (none on the host, the locale's under Wine), the code does not.
#pragma once

#include <string>

// Whether the log holds `line` with the error `code` ("error 8", "error 0xE000020B"),
// whatever text the system gives for it.
inline bool LogsError(const std::string& log, const std::string& line, const std::string& code) {
    const std::string written = line + ": error " + code;
    for (std::size_t at = log.find(written); at != std::string::npos; at = log.find(written, at + 1)) {
        char next = at + written.size() < log.size() ? log[at + written.size()] : '\0';
        if (next == ':' || next == ' ') return true;
    }
    return false;
}
