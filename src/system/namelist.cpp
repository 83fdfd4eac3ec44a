// Sorted name listing: names go into a character trie, whose ordered walk
// writes them into a line list for the column printer.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "dict/dict.h"
#include "eval/eval.h"
#include "parser/parser.h"
#include "system/namelist.h"
#include "system/system.h"

namespace {

struct leaf_rec {
    char kind;
    int32_t value;
};

struct name_vals {
    leaf_rec* leaf;
    name_vals* child[64];
};

name_vals* rt = nullptr;  // root of the trie
zem_line* rte = nullptr;  // last line of the list being filled
char walkname[NAMESIZE];  // the name the walk assembles

// Child index of a name character: digits, capitals, "_", small letters;
// -1 for a character no listed name holds.
int child_index(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 55;
    if (c == '_') return 36;
    if (c >= 'a' && c <= 'z') return c - 60;
    return -1;
}

char index_char(int i) {
    if (i < 10) return static_cast<char>('0' + i);
    if (i < 36) return static_cast<char>(i + 55);
    if (i == 36) return '_';
    return static_cast<char>(i + 60);
}

bool listable(const char* name) {
    if (!name[0] || std::strlen(name) >= NAMESIZE) return false;
    for (const char* p = name; *p; p++)
        if (child_index(*p) < 0) return false;
    return true;
}

name_vals* Val_New() { return static_cast<name_vals*>(acalloc(1, sizeof(name_vals))); }

void nadd(const char* name, i64 value, char kind) {
    if (!listable(name)) return;
    name_vals* n = rt;
    for (const char* p = name; *p; p++) {
        int k = child_index(*p);
        if (!n->child[k]) n->child[k] = Val_New();
        n = n->child[k];
    }
    if (!n->leaf) n->leaf = static_cast<leaf_rec*>(AL2(sizeof(leaf_rec), 1));
    n->leaf->kind = kind;
    n->leaf->value = static_cast<int32_t>(value);
}

void nsort(name_vals* node, i64 depth, char kind) {
    if (node->leaf && node->leaf->kind == kind) {
        walkname[depth] = 0;
        if (!rte->next) rte->next = eLine_New();
        rte = rte->next;
        eLine_copy0(rte, walkname);
    }
    if (depth + 1 >= NAMESIZE) return;
    for (int i = 0; i < 64; i++) {
        if (!node->child[i]) continue;
        walkname[depth] = index_char(i);
        nsort(node->child[i], depth + 1, kind);
    }
}

void ndelv(name_vals* node) {
    std::free(node->leaf);
    node->leaf = nullptr;
    for (auto& c : node->child) {
        if (!c) continue;
        ndelv(c);
        std::free(c);
        c = nullptr;
    }
}

// Adds the local names of a suspended function whose value slot holds a value:
// header names, then (without system names) the names its body uses.
void add_locals(i64 row, i64* next) {
    const func_entry& f = functable[row];
    i64 ranges[2][2] = {{f.hdrmark + 1, f.hdrlast}, {f.lblmark + 1, f.bodylast}};
    for (auto& r : ranges) {
        if (r[1] < 0) continue;
        for (i64 e = r[0]; e <= r[1] && e <= lstnx; e++) {
            const name_entry& n = nametable[e];
            if (n.kind == 'L' || n.index < 0 || n.index >= VTSIZE || IsLoopTemp(row, e)) continue;
            if (vtable[n.index].rank == -1) continue;
            FnGetFullname(e, 'N');
            if (namep[0] == '[' || DBListN(namep)) continue;
            nadd(namep, (*next)++, 'V');
        }
    }
}

}  // namespace

void InitNval() {
    if (!rt) rt = Val_New();
}

i64 sort_fns(const char* prefix, char kind) {
    InitNval();
    zem_line* head = eLine_New();
    rte = head;
    for (i64 g = SYMGN; g <= lstgx; g++) {
        const name_entry& e = gnametable[g];
        if (kind == 'F' && e.kind != 'F') continue;
        if (kind == 'V' && (e.kind != 'V' || vtable[e.index].rank == -1)) continue;
        FnGetFullname(g, 'G');
        if (!DBListN(namep)) nadd(namep, g, kind);
    }
    if (kind == 'V') {
        for (i64 s = sidx; s >= 0; s--) {
            i64 row = sitable[s].row;
            if (row >= FIRSTFN && row <= lstfx && !DBListM(row)) {
                i64 next = lstgx + 1;
                add_locals(row, &next);
                break;
            }
        }
    }
    name_vals* from = rt;
    i64 depth = 0;
    for (const char* p = prefix; *p && from; p++, depth++) {
        int k = child_index(*p);
        from = k < 0 || depth + 1 >= NAMESIZE ? nullptr : from->child[k];
    }
    if (!from) {
        ndelv(rt);
        eLine_free(head);
        return -1;
    }
    std::memcpy(walkname, prefix, static_cast<size_t>(depth));
    nsort(from, depth, kind);
    BeautifulList(head, 3, false);
    eLine_free(head);
    ndelv(rt);
    return 0;
}

i64 nsrh(const char* name, char kind) {
    if (!rt || !listable(name)) return -1;
    name_vals* n = rt;
    for (const char* p = name; *p && n; p++) n = n->child[child_index(*p)];
    return n && n->leaf && n->leaf->kind == kind ? n->leaf->value : -1;
}
