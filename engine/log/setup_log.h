// The setup log: plain UTF-8 lines appended to a file, one per step, each with the local
// time, and every Windows error code with the system's text for it. A log that cannot be
// opened stops nothing: the run goes on without it, and writes to it do nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/log/log_file_open.h"
#include "platform/log_file.h"
#include "platform/result.h"
#include "platform/text.h"
#include "platform/types.h"

namespace engine {

extern const char16_t kDefaultLogName[];  // "tamrin-setup.log", in the temporary folder

// "2026-12-07 14:03:59"
std::string TimeStamp(const platform::SystemTime& time);

// "error 5: Access is denied." with the system's text on one line; codes with the top bit
// set (setup and COM codes) in hexadecimal, as their documentation writes them.
std::u16string ErrorText(platform::Dword error);

// "tamrin-setup.log" in the folder GetTempPath2W gives (for SYSTEM one only SYSTEM and
// the administrators can write to); nothing when the folder cannot be had or the path
// would not fit a path buffer.
std::optional<std::u16string> DefaultLogPath();

struct LogTarget {
    std::u16string path;
    LogOwner owner = LogOwner::Anyone;  // whose file there may serve as the log
};

class SetupLog {
public:
    // Opens the file for appending: created when missing, never truncated, readable by
    // others while it is open and appendable by another run (a second setup refused
    // while this one runs still says why in the same log). A file that may not serve
    // (engine/log_file_open.h) is left alone, and the log is a new file beside it whose
    // first line says why. A log open before is closed first. Not opened: the error says why.
    platform::Outcome Open(const std::u16string& path, LogOwner owner = LogOwner::Anyone);
    bool IsOpen() const { return file_.IsValid(); }
    void Close() { file_.reset(); }

    // One line: the local time and the text. Control characters in the text (line ends
    // among them) become blanks, so that one step stays one line. False when the log is
    // not open or the line could not be written.
    bool Write(std::u16string_view text);
    // The text, then ": " and the error's ErrorText.
    bool WriteError(std::u16string_view text, platform::Dword error);

private:
    platform::LogFileHandle file_;
};

}  // namespace engine
