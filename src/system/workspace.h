// Workspace set-up at start and clearing back to a clear workspace: every
// subsystem's tables and state, in order.
#pragma once

// First set-up of the whole workspace, then a clear.
void ZemInit();
// Clears the workspace: the line driver's state, the parser's tables, the
// value store (its arena zeroed when zero is set) and the open files.
void CleanEX(bool zero);
