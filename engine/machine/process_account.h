// Whether the program runs as LocalSystem, the account deployment tools run it as in
// session 0.
#pragma once

#include "platform/types.h"

namespace engine {

enum class RunsAs { LocalSystem, OtherAccount, Unknown };

struct ProcessAccount {
    RunsAs runsAs = RunsAs::Unknown;
    platform::Dword error = 0;  // why it is Unknown
};

// Told by the user SID of the process token: LocalSystem's is S-1-5-18 ("Well-known
// SIDs").
ProcessAccount CheckProcessAccount();

}  // namespace engine
