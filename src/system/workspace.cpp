// Workspace set-up and clearing: each subsystem clears its own part.
#include "system/workspace.h"

#include "eval/eval.h"
#include "parser/parser.h"
#include "system/system.h"

void ZemInit() {
    InitStore();
    InitParseTables();
    CleanEX(false);
}

void CleanEX(bool zero) {
    CleanET();
    IbCleanAll();
    CleanParseTables();
    CleanStore(zero);
    CloseAllFiles();
}
