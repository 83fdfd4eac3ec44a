// Stand-ins for array primitives not built yet: each reports error 43.
// A real definition elsewhere overrides its stand-in at link time.
#include "primitives/primitives.h"

#define PENDING __attribute__((weak))

PENDING i64 PfTake(i64, i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfDrop(i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfCompre(i64, i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfExpand(i64, i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 GenReshp(i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 GenRho(i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfGenRoro(i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfRavel(i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfCatena(i64, i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfLami(i64, i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfRevers(i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfRotate(i64, i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfTransp(i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 DpfTransp(i64, i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfMembsp(i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 GenIdxof(i64, i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfIota(i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfGrade(i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfDecode(i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfEncode(i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfLogic(i64, i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfRandom(i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfDeal(i64, i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfInvert(i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfDivide(i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfPart1(i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfDots(i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfCheck0(i64, i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfUnpack(i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfPack(i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfType(i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfCount(i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfFirst(i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfRaze(i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfWhere(i64, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfExecu(i64, i64, i64, i64, i64, i64, i64*) { errchk = 43; return 43; }
PENDING i64 GenAlist(i64, i64, i64, i64*, i64*, i64) { errchk = 43; return 43; }
PENDING i64 PfAsslst(i64, i64, i64*, i64*, i64, i64, i64) { errchk = 43; return 43; }
PENDING i64 PfQdzeroTS(i64) { errchk = 43; return 43; }
PENDING void PfErrMsg(i64) {}
PENDING void PfPurge() {}
PENDING double PfFact(i64) { return 1.0; }
PENDING void idxofi(i64*, const i64*, i64, const i64*, i64, i64) {}
PENDING void membspc(i64*, const char*, i64, const char*, i64) {}
