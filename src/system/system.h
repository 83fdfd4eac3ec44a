// System commands, files and input/output: what the rest of the interpreter
// may call.
#pragma once
#include <cstdio>

#include "values/linelist.h"

// ---- start-up banner and server mode ----------------------------------------
// Label of the system the interpreter was built for, shown by -v and the banner.
extern const char* const PLATFORM_LABEL;
void syshd();
void zeminfo();
void zemip();
// Where the server listens: an IPv4 or IPv6 address and a port.
struct listen_address {
    bool ipv6;
    unsigned char bytes[16];  // the address in network order
    int port;
};
// Reads the server's command-line argument, "PORT" (on the loopback
// address) or "ADDR:PORT" ("[ADDR]:PORT" too); nullptr when it is one, else
// what is wrong with it.
const char* ReadListenAddress(const char* text, listen_address* at);
// Serves one client at the address; 0 once it has gone. A socket that
// cannot be set up ends the process with status 1 after its message.
int SocketMain(const listen_address& at);
// Receives one framed message (4-byte big-endian length, then the text) into
// buffer of capacity cap; a zero byte in the text reads as a blank. Returns
// the text length; 0 when the connection is closed or fails; -1 for a text
// that does not fit (read to its end, echoed and dropped); -2 for a length above
// 1 MiB, after which nothing more is read.
i64 RecvString(char* buffer, i64 cap);
// While serving, ends the server once a write to the client has failed.
void CheckClientOutput();
i64 ConvInt(const unsigned char* bytes, int n);

// ---- system commands ----------------------------------------------------------
// Runs the ")" command whose word starts text; the command prints its own
// errors.
i64 Command(char* text);
// Upper-cases the letters a-z of text in place; its length.
i64 MakeUpper(char* text);
// Prints an error code's message.
void Output(i64 code);

// ---- workspace name, library directory and file names ---------------------------
constexpr i64 WSID_SIZE = 104;
constexpr i64 PATH_SIZE = 1024;
// The workspace's name, empty in a clear workspace.
extern char WSID[WSID_SIZE];
// The library directory relative file names are taken in; empty at start.
extern char CURDIR[PATH_SIZE];
// The file a workspace is saved to or loaded from.
extern char path[PATH_SIZE];
// The path a command's file argument names: a quoted name as it stands,
// else CURDIR/name with "." and ext added when the argument has no ".".
// 0, or E_PATH for an empty, malformed or too long argument.
i64 GetZemPath(const char* arg, char* out, const char* ext, bool mustExist);
// Prints a file's modification time ("2015.08.10 09:30:00 (gmt2)").
void FileInfo(const char* file);
// CURDIR/name; 0, or E_PATH when it does not fit PATH_SIZE bytes.
i64 InLibrary(const char* name, char* out);
// The file a quad function's name stands for: a name holding a "/" as it
// stands, any other in the library directory (InLibrary); 0 or E_PATH.
i64 ResolvePath(const char* name, char* out);
// Base name (up to 99 characters, else empty; base holds 100 bytes) and
// extension (fewer than 10 characters, else empty; ext holds 10 bytes) of
// the path's last component.
void GetPathNames(const char* file, char* base, char* ext);
// The text after the last "." of the path's last component, or nullptr
// when that component has no ".".
const char* PathExtension(const char* file);
// 0 when the first n characters agree regardless of letter case, else 1.
i64 compare_insensitive(const char* a, const char* b, i64 n);
// Appends to list the script and text files of dir that begin with prefix;
// 0, or E_DOMAIN (also in errchk) when dir cannot be read.
i64 LibGet(const char* dir, const char* prefix, zem_line* list);

// ---- binary workspace file --------------------------------------------------------
// Write or read the workspace file named: 0 or an error code (also in errchk).
i64 WSSave(const char* name);
i64 WSLoad(const char* name);
// Writes (write set) or reads the file named in path.
i64 Serialize(bool write);

// ---- safe file replacement (safefile.cpp) ------------------------------------------
// A file written beside its destination under a temporary name, which takes
// the destination's place only once every byte is written and on disk; a
// failed write leaves the old file as it was.
struct safe_file {
    FILE* fp;
    char temp[PATH_SIZE + 16];
    char dest[PATH_SIZE];
};
// Opens the temporary file for path: 0, or 76 when it cannot be created.
i64 SafeOpen(safe_file* sf, const char* path);
// Flushes, checks and syncs the written file and renames it over the
// destination: 0, or 300 (the temporary file is removed).
i64 SafeClose(safe_file* sf);
// Closes and removes the temporary file; the destination stays as it was.
void SafeDiscard(safe_file* sf);
// A plain file opened for reading; nullptr when it cannot be opened or is a
// directory, a device or a pipe.
FILE* OpenRegular(const char* path);

// ---- script files -------------------------------------------------------------------
constexpr i64 FLOATTEXT = 40;  // room for an exact float text
// The shortest text that reads back to exactly x: "_" for minus, "e_5" for a
// negative exponent, "0nf" "0wf" "_0wf" for null and the infinities.
i64 GenFloatExact(double x, char* buf);
// The same in C's syntax ("-" for minus, "1e-05"), as other programs read
// it; "inf", "-inf" and "nan" for the infinities and null.
i64 FloatCText(double x, char* buf);
// )FLOAD (keep 0: the workspace is cleared once the file is read) and
// )FCOPY (keep 1): runs the script file the argument names. Returns the
// error code, also left in errchk.
i64 Get(const char* name, i64 keep);
// Runs the script file at path as Get does once the name is resolved; -1
// when the file cannot be opened (its message printed, errchk 1).
i64 RunScript(const char* path, bool keep);
// Runs the lines of a list (after its empty head) as a script; path names
// the file in messages (nullptr: none, and no closing time stamp); width is
// the least work-line width. Returns the error code, also left in errchk.
i64 GetLines(zem_line* list, const char* path, i64 width);
// Batch mode: runs the script file named on the command line, going on
// after failing lines. Returns the process's exit status: 0 when every line
// ran cleanly, 1 when any failed or the file cannot be read.
int ExecBatch(const char* file);
// Batch mode: a line of the run has failed.
void NoteBatchFailure();
// The exit status of a batch run so far, also when )OFF ends it early (0
// in the other modes).
int BatchStatus();

// ---- quad functions and files -----------------------------------------------------
// The monadic quad functions 601..650 by code: []CR, []AI, []CSV, []open,
// []close, []write, []get (others: E_SYSVAR_NOT_BUILT).
i64 PfqdMon(i64 code, i64 res, i64 rc, i64 rv);
// The bare quad: a line of input as a character vector (empty at the end
// of input).
i64 PfQdzeroInput(i64 res);
// handle "<<" value: appends the value's text to a file []open opened.
i64 PfFileAp(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// Format with a separator: a list of texts.
i64 PfForma2(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// Closes every file []open opened and frees their handles (a workspace
// clear or load).
void CloseAllFiles();

// ---- column printer (columns.cpp) ---------------------------------------------
// Prints the texts of a line list (after its head) in as many columns as fit
// 107 characters, gap blanks apart, padded on the left when rightAlign.
void BeautifulList(zem_line* list, i64 gap, bool rightAlign);
