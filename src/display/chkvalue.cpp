// Raw dump of a value for the )ASK command: shape words and plain element
// texts, no layout.
#include <cinttypes>
#include <cstdio>

#include "display/display.h"

static void DumpElement(const val_item* v, const char* data, i64 i) {
    switch (v->type) {
    case TBOOL:
    case TINT: printf(" %" PRId64, ((const i64*)data)[i]); break;
    case TFLOAT: printf(" %.15lf", ((const double*)data)[i]); break;
    case TCHAR: printf("%c", data[i]); break;
    case TCPLX: {
        const complex2* z = (const complex2*)data + i;
        printf(" %.3lfj%0.3lf", z->real, z->imag);
        break;
    }
    default: break;
    }
}

i64 ChkValue(i64 index, i64 from_constants) {
    if (index < 0 || index >= (from_constants ? CTSIZE : VTSIZE)) return 0;
    val_item* v = from_constants ? &ctable[index] : &vtable[index];
    if (v->count == 0) {
        printf("targ=%" PRId64 " , type=%" PRId64 ", dim=%" PRId64 " , lgth=%" PRId64 "\n", index,
               v->type, v->rank, v->count);
        return 0;
    }
    const char* data = (const char*)getptV(v);
    if (data == nullptr) return 0;
    if (single(v)) {
        switch (v->type) {
        case TBOOL:
        case TINT: printf(" %" PRId64, ((const i64*)data)[0]); break;
        case TFLOAT: printf(" %.15lf", ((const double*)data)[0]); break;
        case TCHAR: printf(" %c", data[0]); break;
        case TCPLX:
            printf("%.3lf %.3lf", ((const double*)data)[0], ((const double*)data)[1]);
            break;
        default: break;
        }
        return 0;
    }
    if (v->rank == 2) printf("dim0=%" PRId64 ", dim1=%" PRId64 "\n", v->dim0, v->dim1);
    for (i64 i = 0; i < v->count; i++) {
        if (v->rank == 2 && v->dim1 > 0 && i % v->dim1 == 0) printf("\n");
        DumpElement(v, data, i);
    }
    return 0;
}
