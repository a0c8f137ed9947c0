// The setup log of this run: open when the command line asked for one (or the run is
// quiet), closed otherwise, in which case writing to it does nothing.
#pragma once

#include "engine/log/setup_log.h"

engine::SetupLog& RunLog();
