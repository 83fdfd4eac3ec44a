// The monadic quad functions' routines, for the files of src/system that
// serve them; PfqdMon (system/system.h) dispatches to them by code. Each
// returns an error code, also left in errchk.
#pragma once
#include <cstdio>

// The file functions' arguments and small results come with these.
#include "system/fileargs.h"
#include "values/values.h"

i64 QdCR(i64 res, const val_item* arg);
i64 QdAI(i64 res, const val_item* arg);
i64 QdCSV(i64 res, const val_item* arg);
i64 QdOpen(i64 res, const val_item* arg);
i64 QdClose(i64 res, const val_item* arg);
i64 QdWrite(i64 res, i64 rc, i64 rv);
i64 QdGet(i64 res, const val_item* arg);
// Writes a value to an open file as lines of text (a table or keyed table
// in its CSV layout), flushed; 0, E_TYPE for a list, dictionary or
// enumeration, E_WS_FULL when a line's text cannot be had (what was
// written stays), E_FILE_WRITE when writing failed.
i64 QdWriteFile(FILE* fp, val_item* v);
