#include "engine/run/log_target.h"

namespace engine {

std::optional<LogTarget> LogPathFor(const SetupOptions& options) {
    if (options.logFile) return LogTarget{*options.logFile, LogOwner::Anyone};
    if (!options.quiet) return std::nullopt;
    std::optional<std::u16string> path = DefaultLogPath();
    if (!path) return std::nullopt;
    return LogTarget{*path, LogOwner::SystemOrAdministrators};
}

}  // namespace engine
