// Grade up and grade down: the permutation of origin-based indices that sorts
// the elements of a vector or the rows of a higher-rank array. Equal elements
// keep their order of appearance in both directions; NaN sorts above every
// number, so the comparison is a total order.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "primitives/primitives.h"
#include "values/fcodes.h"
#include "values/registers.h"

// One element: its key and its origin-based index.
struct grad_node {
    union {
        i64 i;
        double d;
        signed char c;
    } key;
    i64 index;
    i64 type;
};

// One row: its index and where its elements start.
struct grad_node_sta0 {
    i64 index;
    i64 type;
    i64 len;
    const char* data;
};

static int three_way_i(i64 a, i64 b) { return (a > b) - (a < b); }

// Numbers ascending, NaN after every number, NaNs equal to one another.
static int three_way_d(double a, double b) {
    bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb) return (int)na - (int)nb;
    return (a > b) - (a < b);
}

// Characters compare as signed bytes: codes 128..255 come before 0.
static int three_way_c(signed char a, signed char b) { return (a > b) - (a < b); }

static int key_compare(const grad_node* x, const grad_node* y) {
    switch (x->type) {
    case TFLOAT: return three_way_d(x->key.d, y->key.d);
    case TCHAR: return three_way_c(x->key.c, y->key.c);
    default: return three_way_i(x->key.i, y->key.i);
    }
}

static int row_compare(const grad_node_sta0* x, const grad_node_sta0* y) {
    for (i64 j = 0; j < x->len; j++) {
        int k;
        if (x->type == TCHAR) k = three_way_c((signed char)x->data[j], (signed char)y->data[j]);
        else if (x->type == TFLOAT)
            k = three_way_d(((const double*)x->data)[j], ((const double*)y->data)[j]);
        else k = three_way_i(((const i64*)x->data)[j], ((const i64*)y->data)[j]);
        if (k) return k;
    }
    return 0;
}

// The qsort comparison of two records by cmp, downwards when sign is -1;
// the index breaks ties, so equal keys keep their order in both directions.
template <class Node, int (*cmp)(const Node*, const Node*), int sign>
static int by_key(const void* a, const void* b) {
    const Node* x = static_cast<const Node*>(a);
    const Node* y = static_cast<const Node*>(b);
    int k = cmp(x, y);
    return k ? sign * k : three_way_i(x->index, y->index);
}

// Sorts n records by cmp in direction and writes their indices to out.
template <class Node, int (*cmp)(const Node*, const Node*)>
static void sort_records(Node* recs, i64 n, i64 direction, i64* out) {
    std::qsort(recs, n, sizeof(Node), direction < 0 ? by_key<Node, cmp, -1> : by_key<Node, cmp, 1>);
    for (i64 i = 0; i < n; i++) out[i] = recs[i].index;
    std::free(recs);
}

void a_grade_new(const void* data, i64 type, i64* out, i64 origin, i64 n, i64 direction) {
    if (n == 1) {
        out[0] = origin;
        return;
    }
    grad_node* recs = static_cast<grad_node*>(AL2(sizeof(grad_node), n));
    for (i64 i = 0; i < n; i++) {
        grad_node* r = &recs[i];
        r->key.i = 0;
        if (type == TCHAR) r->key.c = ((const signed char*)data)[i];
        else std::memcpy(&r->key, (const char*)data + 8 * i, 8);
        r->index = origin + i;
        r->type = type;
    }
    sort_records<grad_node, key_compare>(recs, n, direction, out);
}

void a_grade_new1(const void* data, i64 type, i64* out, i64 origin, i64 n, i64 direction, i64 len) {
    if (n == 1) {
        out[0] = origin;
        return;
    }
    i64 width = ElemWidth(type);
    grad_node_sta0* recs = static_cast<grad_node_sta0*>(AL2(sizeof(grad_node_sta0), n));
    for (i64 i = 0; i < n; i++)
        recs[i] = {origin + i, type, len, (const char*)data + i * len * width};
    sort_records<grad_node_sta0, row_compare>(recs, n, direction, out);
}

i64 PfGrade(i64 code, i64 res, i64 rc, i64 rv, i64 io) {
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    val_item R = *opnd(rc, rv);
    if (R.rank < 0) return errchk = E_VALUE;
    SetNames(1, 5, res, -1, -1, rc, rv);
    if (R.rank == 0) return errchk = E_RANK;
    if (R.type > TCHAR) return errchk = E_DOMAIN;
    i64 direction = code == FC_GRADEDOWN ? -1 : 1;
    i64 rows = R.rank == 1 ? R.count : R.dim0;
    i64 len = rows > 0 ? R.count / rows : 0;
    // The operand's elements, copied: the result may take the operand's slot.
    i64 bytes = typC(R.type, R.count);
    char* data = static_cast<char*>(GM_new(TCHAR, bytes));
    if (bytes > 0) std::memcpy(data, getptV(&R), (size_t)bytes);
    if (NewResult(res, TINT, 1, &rows, rows)) return errchk;
    i64* out = static_cast<i64*>(getptV(&vtable[res]));
    if (rows == 0) return errchk = 0;
    if (R.count == 0) {
        for (i64 i = 0; i < rows; i++) out[i] = origin + i;
    } else if (R.rank == 1) {
        a_grade_new(data, R.type, out, origin, rows, direction);
    } else {
        a_grade_new1(data, R.type, out, origin, rows, direction, len);
    }
    return errchk = 0;
}
