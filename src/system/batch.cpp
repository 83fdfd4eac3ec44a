// Batch mode: the script file named on the command line runs with no
// banner or prompts, going on after a failing line. The name is taken in
// the working directory, with ".zsf" added when it holds no ".". The exit
// status tells whether every line ran cleanly.
#include <cstring>
#include <string>

#include "eval/eval.h"
#include "system/system.h"
#include "system/toplevel.h"
#include "values/errors.h"

static bool line_failed = false;  // a line of the batch run has failed

void NoteBatchFailure() { line_failed = true; }

int BatchStatus() { return line_failed ? 1 : 0; }

int ExecBatch(const char* file) {
    BATMD = true;
    ZemInitMain();
    std::string path = file;
    if (path.find('.') == std::string::npos) path += ".zsf";
    if (!*file || static_cast<i64>(path.size()) >= PATH_SIZE) {
        errmsg(E_BAD_PATH_OR_NAME);
        return 1;
    }
    if (RunScript(path.c_str(), false) < 0) return 1;
    return BatchStatus();
}
