// The operand registers and their loaders: every primitive describes its
// operands through these globals before it runs its kernels.
#include "values/registers.h"
#include "values/internal.h"

i64 ltyp, lrnk, llgth, llgth1, lop0, lop1;
double lop2;
char lop3;
val_item* lo0;
i64* lo1;
double* lo2;
char* lo3;
i64 ldim0, ldim1, ld1;
void* lcad;

i64 rtyp, rrnk, rlgth, rlgth1, rop0, rop1;
double rop2;
char rop3;
val_item* ro0;
i64* ro1;
double* ro2;
char* ro3;
i64 rdim0, rdim1, rd1;
void* rcad;

i64 gclx, gcrx;
i64 ttyp, trnk, tlgth, tlgth1;
char dtyp;

i64 rlgth_1, rop_0, rop_1;
i64* ro_0;
i64* ro_1;
i64 rdim_0, rdim_1, rd_1;

// Last dimension: the count for rank <= 1, else the end of the shape.
static i64 lastdim(const val_item* v) {
    if (v->rank <= 1) return v->count;
    if (v->rank == 2) return v->dim1;
    return glist[v->dim1 + v->rank - 2];
}

// One operand's register set, filled by load_operand.
struct opregs {
    i64 *typ, *rnk, *lgth, *lgth1, *op0, *op1;
    double* op2;
    char* op3;
    val_item** o0;
    i64** o1;
    double** o2;
    char** o3;
    i64 *dim0, *dim1, *d1;
    void** cad;
    i64* gcx;
};

static void load_operand(const opregs& r, i64 c, i64 v) {
    val_item* x = opnd(c, v);
    i64 who = c >= 0 ? -c : v;
    *r.typ = x->type;
    *r.rnk = x->rank;
    *r.lgth = x->count;
    *r.lgth1 = single(x);
    if (*r.lgth1) {
        if (x->type == TCPLX) {
            *r.o2 = reinterpret_cast<double*>(x->data);
            *r.gcx = who;
        } else if (WordType(x->type)) {
            *r.op0 = *r.op1 = x->dim0;
        } else if (x->type == TFLOAT || x->type == TDATETIME) {
            *r.op2 = *reinterpret_cast<double*>(&x->dim0);
        } else if (x->type == TCHAR) {
            *r.op3 = *reinterpret_cast<char*>(&x->dim0);
        }
    } else if (x->count > 0) {
        if (DoubleView(x->type)) *r.o2 = reinterpret_cast<double*>(x->data);
        else if (x->type == TCHAR) *r.o3 = x->data;
        else if (WordType(x->type)) {
            *r.o0 = reinterpret_cast<val_item*>(x->data);
            *r.o1 = reinterpret_cast<i64*>(x->data);
        }
        *r.gcx = who;
    }
    *r.dim0 = x->rank <= 1 ? x->count : x->dim0;
    *r.dim1 = lastdim(x);
    *r.d1 = x->dim1;
    *r.cad = getptV(x);
}

static const opregs LEFT = {&ltyp, &lrnk, &llgth, &llgth1, &lop0,  &lop1, &lop2, &lop3, &lo0,
                            &lo1,  &lo2,  &lo3,   &ldim0,  &ldim1, &ld1,  &lcad, &gclx};
static const opregs RIGHT = {&rtyp, &rrnk, &rlgth, &rlgth1, &rop0,  &rop1, &rop2, &rop3, &ro0,
                             &ro1,  &ro2,  &ro3,   &rdim0,  &rdim1, &rd1,  &rcad, &gcrx};

static void load_target(i64 flag, i64 target) {
    val_item* t = &vtable[target];
    tlgth = t->count;
    trnk = t->rank;
    tlgth1 = single(t);
    if (flag != 0) return;
    SetCursors(ttyp, tlgth1 ? reinterpret_cast<char*>(&t->dim0) : t->data);
}

void SetNames(i64 flag, i64 kind, i64 target, i64 lc, i64 lv, i64 rc, i64 rv) {
    gclx = gcrx = 0;
    bool left = kind != 1 && kind != 2 && kind != 5;
    bool right = kind != 2 && kind != 4;
    bool tgt = kind != 3 && kind != 5;
    if (left) load_operand(LEFT, lc, lv);
    if (right) {
        load_operand(RIGHT, rc, rv);
        // A right-only load judges the right operand alone: float elements
        // then compare tolerantly, instead of against a stale left type.
        if (left) {
            i64 big = ltyp > rtyp ? ltyp : rtyp;
            dtyp = big == TFLOAT && ltyp != rtyp;
        } else {
            dtyp = rtyp == TFLOAT;
        }
    }
    if (tgt) load_target(flag, target);
}

void SetNames1(i64 c, i64 v) {
    val_item* x = opnd(c, v);
    if (x->type != TBOOL && x->type != TINT) {
        errchk = E_RANK;
        return;
    }
    rlgth_1 = single(x);
    if (rlgth_1) {
        rop_0 = rop_1 = x->dim0;
    } else {
        ro_0 = ro_1 = reinterpret_cast<i64*>(x->data);
    }
    rdim_0 = x->rank <= 1 ? x->count : x->dim0;
    rdim_1 = lastdim(x);
    rd_1 = x->dim1;
}
