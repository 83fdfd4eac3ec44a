// System commands, files and input/output: what the rest of the interpreter
// may call.
#pragma once
#include "values/linelist.h"

// ---- start-up banner and server mode ----------------------------------------
// Label of the system the interpreter was built for, shown by -v and the banner.
extern const char* const PLATFORM_LABEL;
void syshd();
void zeminfo();
void zemip();
void SocketMain(int port);
// Receives one framed message (4-byte big-endian length, then the text) into
// buffer of capacity cap; a zero byte in the text reads as a blank. Returns
// the text length; 0 when the connection is closed or fails; -1 for a text
// that does not fit (read to its end and dropped); -2 for a length above
// 1 MiB, after which nothing more is read.
i64 RecvString(char* buffer, i64 cap);
// While serving, ends the server once a write to the client has failed.
void CheckClientOutput();
i64 ConvInt(const unsigned char* bytes, int n);

// ---- system commands ----------------------------------------------------------
i64 Command(char* text);
void CloseAllFiles();

// ---- primitives not built yet ----------------------------------------------------
// Their rows in eval/primtable.cpp answer E_NOT_BUILT until they are written
// and wired there.
i64 PfqdMon(i64 code, i64 res, i64 rc, i64 rv);         // quad functions 601..650
i64 PfQdzeroInput(i64 res);                             // the bare quad: a line of input
i64 PfFileAp(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);  // "<<": append to a file
i64 PfForma2(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);  // dyadic format

// ---- column printer (columns.cpp) ---------------------------------------------
// Prints the texts of a line list (after its head) in as many columns as fit
// 107 characters, gap blanks apart, padded on the left when rightAlign.
void BeautifulList(zem_line* list, i64 gap, bool rightAlign);
