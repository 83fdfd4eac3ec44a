// Stand-ins for routines of later work (defined-function bodies and the
// function-record texts): each reports error 43 and changes nothing. Real
// definitions override them at link time.
#include "eval/eval.h"
#include "parser/parser.h"

#define PENDING __attribute__((weak))

PENDING i64 SetHeadFirst(i64, i64, i64) { return errchk = 43; }
PENDING i64 SetNodeValue(i64, i64, i64) { return errchk = 43; }
PENDING void ExecuFunc(i64, i64, i64, i64, i64) { errchk = 43; }
PENDING stmt_node* IbAddx(i64, i64, i64*) { return nullptr; }
PENDING stmt_node* IbIndx(i64, i64, i64) { return nullptr; }
PENDING void IbClean(i64) {}
PENDING void Rslocvx1(i64) {}
PENDING char* FunErrLineStr(zem_func*, i64) { return nullptr; }
PENDING char* FunErrLineOld(zem_func*, i64, i64*) { return nullptr; }
