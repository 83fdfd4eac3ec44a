// Membership and range checks shared by the dictionary and table routines.
#include "dict/dictparts.h"
#include "primitives/primitives.h"

i64* MemberBits(i64 type, const void* values, i64 nv, const void* domain, i64 nd) {
    i64* bits = static_cast<i64*>(GM_new(TINT, nv / 32 + 1));
    if (!bits) return nullptr;
    errchk = 0;
    bits[0] = 0;
    if (nv == 0) return bits;
    switch (type) {
    case TFLOAT:
    case TDATETIME:
        membspd(bits, static_cast<const double*>(values), nv, static_cast<const double*>(domain),
                nd);
        break;
    case TCHAR:
        membspc(bits, static_cast<const char*>(values), nv, static_cast<const char*>(domain), nd);
        break;
    case TCPLX:
        membspx(bits, static_cast<const double*>(values), nv, static_cast<const double*>(domain),
                nd);
        break;
    default:
        membspi(bits, static_cast<const i64*>(values), nv, static_cast<const i64*>(domain), nd);
        break;
    }
    return errchk ? nullptr : bits;  // a search whose table could not be had
}

bool MemberBit(const i64* bits, i64 i) { return (bits[i / 32] >> (31 - i % 32)) & 1; }

i64 ChkMemb(const void* domain, i64 nd, const void* values, i64 nv, i64 type) {
    const i64* bits = MemberBits(type, values, nv, domain, nd);
    if (!bits) return -1;
    for (i64 i = 0; i < nv; i++)
        if (!MemberBit(bits, i)) return 0;
    return 1;
}

i64 ChkIndx(const i64* indexes, i64 n, i64 m, i64 io) {
    i64 origin = IoOrigin(io);
    for (i64 k = 0; k < n; k++)
        if (indexes[k] < origin || indexes[k] >= m + origin) return 0;
    return 1;
}
