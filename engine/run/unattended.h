// The unattended mode: the request of a command line checked against the medium, the
// attached printer and the spooler before anything changes, then the installation or
// the removal run without a window, and the exit code a deployment system reads.
#pragma once

#include <cstdint>
#include <string>

#include "engine/medium/medium_paths.h"
#include "engine/log/setup_log.h"
#include "engine/run/switches.h"

namespace engine {

// Runs what the options ask for (they were accepted by ParseSwitches and ask for quiet
// mode) with the medium of these files, whose catalogue the start-up found serviceable,
// and gives the exit code.
std::uint32_t RunUnattended(const SetupOptions& options, const MediumFiles& medium, SetupLog& log);

}  // namespace engine
