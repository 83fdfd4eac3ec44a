// The handlers of the ")" commands, each given the rest of the command line
// (blanks after the command word skipped). Internal to the command module.
#pragma once
#include "values/values.h"

// workspace commands (wscommands.cpp)
i64 Wsid(char* arg);
i64 Save(char* arg);
i64 Load(char* arg);

// library, directories (library.cpp)
i64 RpLib(char* arg);
i64 CmdDir(char* arg);
i64 epwd(char* arg);

// debugging and inspection (statecmds.cpp)
i64 SiOut(char* arg);
i64 SiClr(char* arg);
i64 TraceE(char* arg);
i64 SysIndex(char* arg);
i64 QueryName(char* arg);
i64 CmdTime(char* arg);
i64 CmdLike(char* arg);
i64 PureTest(char* arg);
i64 TimeStamp(char* arg);
i64 OpenZemFile(char* arg);

// script files (scriptfile.cpp, scriptwrite.cpp)
i64 Fload(char* arg);
i64 Fcopy(char* arg);
// Writes the workspace, or the objects named after the file name, as a
// script file. Returns the error code, also left in errchk.
i64 WsOut(char* arg);
