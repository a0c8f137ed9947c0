#include "wizard/run_log.h"

engine::SetupLog& RunLog() {
    static engine::SetupLog log;
    return log;
}
