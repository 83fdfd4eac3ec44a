// The ")" command dispatcher: the command word is read, upper-cased and
// looked up; a command that takes no argument refuses one. Also the small
// handlers that need nothing of their own.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "parser/parser.h"
#include "system/handlers.h"
#include "system/namelist.h"
#include "system/system.h"
#include "system/workspace.h"

namespace {

i64 Off(char*) {
    std::fflush(stdout);
    std::exit(BatchStatus());
}

// The optional name prefix of a listing, "" when there is none.
const char* Prefix(char* arg) {
    i64 pos = 0;
    return FGetName(arg, &pos) > 0 ? namep : "";
}

i64 Fns(char* arg) {
    sort_fns(Prefix(arg), 'F');
    return 0;
}

i64 Vars(char* arg) {
    sort_fns(Prefix(arg), 'V');
    return 0;
}

i64 ClearE(char*) {
    WSID[0] = 0;
    CleanEX(true);
    return 0;
}

i64 Collect(char*) { return GC(); }

i64 Nothing(char*) { return 0; }

struct command {
    const char* word;
    bool bare;  // takes no argument
    i64 (*run)(char* arg);
};

const command commands[] = {
    {"WSID", false, Wsid},       {"OFF", true, Off},        {"FNS", false, Fns},
    {"VARS", false, Vars},       {"LIB", false, RpLib},     {"CLEAR", true, ClearE},
    {"IF", false, Nothing},      {"PWD", true, epwd},       {"SI", true, SiOut},
    {"SIC", true, SiClr},        {"SU", true, Nothing},     {"MF", true, Nothing},
    {"GC", true, Collect},       {"INDEX", true, SysIndex}, {"TRACE", false, TraceE},
    {"SAVE", false, Save},       {"LOAD", false, Load},     {"FLOAD", false, Fload},
    {"FCOPY", false, Fcopy},     {"OUT", false, WsOut},   {"ASK", false, QueryName},
    {"OPEN", true, OpenZemFile}, {"ST", false, Nothing},    {"PT", true, PureTest},
    {"CK", false, TimeStamp},    {"DIR", false, CmdDir},    {"LIKE", false, CmdLike},
    {"TIME", false, CmdTime},
};

bool OnlyBlanks(const char* s) {
    while (*s == ' ' || *s == '\t') s++;
    return *s == 0;
}

}  // namespace

i64 MakeUpper(char* text) {
    i64 n = 0;
    for (; text[n]; n++)
        if (text[n] >= 'a' && text[n] <= 'z') text[n] = static_cast<char>(text[n] - 'a' + 'A');
    return n;
}

void Output(i64 code) { errmsg(code); }

// A command that fails leaves its code in errchk (each handler does the
// same), so that a script stops there and a batch run counts the line.
i64 Command(char* text) {
    i64 pos = 0;
    if (FGetName(text, &pos) == 0) {
        Output(E_COMMAND);
        return errchk = E_COMMAND;
    }
    char word[NAMESIZE];
    std::snprintf(word, sizeof word, "%s", namep);
    MakeUpper(word);
    for (const command& c : commands) {
        if (std::strcmp(word, c.word) != 0) continue;
        if (c.bare && !OnlyBlanks(text + pos)) {
            errchk = E_COMMAND;
            Output(E_COMMAND);
            return 0;
        }
        return c.run(text + pos);
    }
    Output(E_COMMAND);
    return errchk = E_COMMAND;
}
