// Where a run writes its log, as its switches ask.
#pragma once

#include <optional>

#include "engine/log/setup_log.h"
#include "engine/run/switches.h"

namespace engine {

// The /log file; in quiet mode without it the default one; the wizard without /log
// writes none.
std::optional<LogTarget> LogPathFor(const SetupOptions& options);

}  // namespace engine
