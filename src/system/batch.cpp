// Batch mode: the script file named on the command line runs with no
// banner or prompts, going on after a failing line. The name is taken in
// the working directory, with ".zsf" added when it holds no ".".
#include <cstring>
#include <string>

#include "eval/eval.h"
#include "system/system.h"
#include "values/errors.h"

int ExecBatch(const char* file) {
    BATMD = true;
    ZemInitMain();
    std::string path = file;
    if (path.find('.') == std::string::npos) path += ".zsf";
    if (!*file || static_cast<i64>(path.size()) >= PATH_SIZE) {
        errmsg(E_BAD_PATH_OR_NAME);
        return 1;
    }
    return RunScript(path.c_str(), false) < 0 ? 1 : 0;
}
