// List literals (a;b;c), multiple assignment (a;b;c)<-list and the time
// stamp []TS. The walker collects item pairs right to left: the arrays hold
// entries 0..n, and (c, v) is the last item evaluated, the leftmost one.
#include "datetime/datetime.h"
#include "primitives/primitives.h"

#include <cstring>
#include <ctime>

// The operand pair of item j in source order (0 = leftmost).
static void itempair(i64 j, i64 c, i64 v, const i64* cidx, const i64* vidx, i64 n, i64* ic,
                     i64* iv) {
    if (j == 0) {
        *ic = c;
        *iv = v;
    } else {
        *ic = cidx[n + 1 - j];
        *iv = vidx[n + 1 - j];
    }
}

static bool isvalueslot(i64 c, i64 v) { return c < 0 && v > 0 && v < VTSIZE; }

i64 GenAlist(i64 res, i64 c, i64 v, i64* cidx, i64* vidx, i64 n) {
    if (n < 0) return errchk = E_DOMAIN;
    i64 count = n + 2;
    bool self = false;
    for (i64 j = 0; j < count; j++) {
        i64 ic, iv;
        itempair(j, c, v, cidx, vidx, n, &ic, &iv);
        if (ic < 0 && (!isvalueslot(ic, iv) || vtable[iv].rank == -1)) return errchk = E_VALUE;
        if (ic < 0 && iv == res) self = true;
    }
    bool named = isnamedslot(res);
    // An item that is the result slot itself is copied aside first: the
    // slot's descriptor is about to become the list.
    val_item aside{};
    if (self && GenStoreV2(&aside, &vtable[res], false)) return errchk;
    i64 saved = collision;
    if (self) collision = 1;
    vtable[res].type = TLIST;
    i64 rc = Updatead0(res, TLIST, 1, count);
    collision = saved;
    if (rc) return errchk;
    vtable[res].dim0 = count;
    vtable[res].dim1 = 0;
    for (i64 j = 0; j < count; j++) {
        i64 ic, iv;
        itempair(j, c, v, cidx, vidx, n, &ic, &iv);
        // Re-read the data address: a copy may collect and move the list.
        val_item* item = reinterpret_cast<val_item*>(vtable[res].data) + j;
        rc =
            ic < 0 && iv == res ? GenStoreV2(item, &aside, named) : GenStoreV1(item, ic, iv, named);
        if (rc) return errchk = rc;
    }
    return errchk = 0;
}

i64 PfAsslst(i64 c, i64 v, i64* cidx, i64* vidx, i64 n, i64 rc, i64 rv) {
    val_item* right = opnd(rc, rv);
    if (rc < 0 && right->rank == -1) return errchk = E_VALUE;
    if (rc >= 0 || right->type != TLIST) return errchk = E_DOMAIN;
    if (n < 0 || right->count != n + 2) return errchk = E_LENGTH;
    i64 count = n + 2;
    bool overwritten = false;  // a target is the list itself
    for (i64 j = 0; j < count; j++) {
        i64 tc, tv;
        itempair(j, c, v, cidx, vidx, n, &tc, &tv);
        if (tc >= 0 || !isnamedslot(tv)) return errchk = E_DOMAIN;
        if (tv == rv) overwritten = true;
    }
    val_item aside{};
    if (overwritten && GenStoreV2(&aside, &vtable[rv], false)) return errchk;
    for (i64 j = 0; j < count; j++) {
        i64 tc, tv;
        itempair(j, c, v, cidx, vidx, n, &tc, &tv);
        // Re-read the data address: an assignment may collect and move it.
        val_item* items = reinterpret_cast<val_item*>(overwritten ? aside.data : vtable[rv].data);
        if (GenStoreV0(tv, items + j)) return errchk;
    }
    return errchk = 0;
}

// The local wall-clock time as one datetime element, to the millisecond.
i64 PfQdzeroTS(i64 res) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    time_t secs = now.tv_sec;
    localtime_r(&secs, &local);
    i64 f[7] = {local.tm_year + 1900LL,
                local.tm_mon + 1LL,
                (i64)local.tm_mday,
                (i64)local.tm_hour,
                (i64)local.tm_min,
                (i64)local.tm_sec,
                (i64)(now.tv_nsec / 1000) / 1000};
    // A leap second reads as the last second of its minute.
    if (f[5] > 59) f[5] = 59;
    double stamp = dtvalue2(f);
    vtable[res].type = TDATETIME;
    if (Updatead0(res, TDATETIME, 1, 1)) return errchk;
    std::memcpy(cad0, &stamp, sizeof stamp);
    return errchk = 0;
}
