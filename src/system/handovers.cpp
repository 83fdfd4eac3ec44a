// The hand-overs upward. A routine of a lower layer that must hand work to
// a layer above it (the line output to the server, say) calls through a
// table its own header declares; this file, at the top, fills every such
// table with the routines above before the program starts, so each layer's
// files call only downward.
#include "dict/dict.h"
#include "display/display.h"
#include "eval/eval.h"
#include "eval/primtable.h"
#include "scalar/scalar.h"
#include "system/system.h"

namespace {

bool wire() {
    display_up.check_output = CheckClientOutput;
    scalar_up = {DictScala, DispatchMonadic, DispatchDyadic, PrimEach};
    dict_up = {PfExecuSub, SetLineContext, GetLines, GenIndexA};
    return true;
}

[[maybe_unused]] const bool wired = wire();

}  // namespace
