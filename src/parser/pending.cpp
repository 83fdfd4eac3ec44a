// Stand-ins for parser routines that wait on the line-list records; the
// real definitions override them at link.
#include "parser/parser.h"

#define PENDING __attribute__((weak))

PENDING void FnPrepoc(zem_line*, i64) {}
