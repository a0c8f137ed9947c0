// Opening the setup log's file so that no other account can redirect it, silence it or
// read it. The program runs elevated or as SYSTEM, and a log's folder (the temporary
// folder before GetTempPath2W, a folder named by /log) may be one where anyone can
// create names. The file is opened without following a link or reparse point in its
// last name, and used only when it is a regular file with no other name (hard link)
// and, where the folder's other users could have made it first, when it is owned by
// SYSTEM or the Administrators group or was made by this very open. Otherwise a new file
// of a name no one could have planted is made beside it, with CREATE_NEW, which never
// follows or reuses a name that is there.
#pragma once

#include <string>

#include "platform/log_file.h"
#include "platform/result.h"

namespace engine {

enum class LogOwner {
    Anyone,                  // a file the administrator named
    SystemOrAdministrators,  // the default log, in a folder others may write to
};

struct OpenedLogFile {
    platform::Result<platform::Handle> file;  // kInvalidHandle, with the error, when none could be had
    // Set when the file is a new one beside the path: why the path itself is not used.
    std::u16string divertedBecause;
};

OpenedLogFile OpenLogFile(const std::u16string& path, LogOwner owner);

// "D:\logs\setup-20261207-140359-120-4312.log" beside "D:\logs\setup.log", for the
// process id and the time; attempts after the first end in "-2", "-3", ...
std::u16string BesideName(const std::u16string& path, const platform::SystemTime& time,
                          platform::Dword processId, int attempt);

}  // namespace engine
