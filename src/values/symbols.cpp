// Symbols: interned texts with ids from 0 (the empty text after a clear),
// kept in an AVL tree for lookup and an array from id to node for printing.
#include <cstdlib>
#include <cstring>

#include "values/internal.h"

sym_node* T = nullptr;
sym_node** psym = nullptr;
i64 sybmax = 1024;
i64 sindex = -1;

// Texts longer than a record holds are cut to its 127 characters.
i64 estring_assign_str(estring* e, const char* text) {
    size_t n = std::strlen(text);
    if (n > sizeof e->text - 1) n = sizeof e->text - 1;
    std::memcpy(e->text, text, n);
    e->text[n] = 0;
    e->len = static_cast<i64>(n);
    return e->len;
}

void estring_assign_e(sym_node* node, const estring* e) { node->str = *e; }

static int cmp(const estring* a, const estring* b) { return std::strcmp(a->text, b->text); }

int estring_euqal(const estring* a, const estring* b) { return cmp(a, b) == 0; }
int estring_less(const estring* a, const estring* b) { return cmp(a, b) < 0; }
int estring_less_than(const estring* a, const estring* b) { return cmp(a, b) <= 0; }
int estring_great(const estring* a, const estring* b) { return cmp(a, b) > 0; }
int estring_great_than(const estring* a, const estring* b) { return cmp(a, b) > 0; }
char estring_index(const estring* e, i64 i) { return e->text[i]; }

static bool hasblank(const sym_node* node) { return std::strchr(node->str.text, ' ') != nullptr; }

i64 estring_fill(const sym_node* node, char* buffer) {
    i64 n = 0;
    bool quoted = hasblank(node);
    if (quoted) buffer[n++] = '\'';
    std::memcpy(buffer + n, node->str.text, node->str.len);
    n += node->str.len;
    if (quoted) buffer[n++] = '\'';
    buffer[n] = 0;
    return n;
}

i64 estring_fill_tick(const sym_node* node, char* buffer) {
    buffer[0] = '`';
    return estring_fill(node, buffer + 1) + 1;
}

i64 estring_len(const sym_node* node) { return node->str.len + (hasblank(node) ? 2 : 0); }

void InitSym() { T = nullptr; }

void IncSym() {
    sym_node** bigger = static_cast<sym_node**>(acalloc(2 * sybmax, sizeof(sym_node*)));
    if (psym) std::memcpy(bigger, psym, sybmax * sizeof(sym_node*));
    std::free(psym);
    psym = bigger;
    sybmax *= 2;
}

static void freetree(sym_node* node) {
    if (!node) return;
    freetree(node->left);
    freetree(node->right);
    std::free(node);
}

void cleansym() {
    freetree(T);
    T = nullptr;
    if (psym)
        for (i64 i = 0; i <= sindex && i < sybmax; i++) psym[i] = nullptr;
}

void R_Rotate(sym_node** p) {
    sym_node* l = (*p)->left;
    (*p)->left = l->right;
    l->right = *p;
    *p = l;
}

void L_Rotate(sym_node** p) {
    sym_node* r = (*p)->right;
    (*p)->right = r->left;
    r->left = *p;
    *p = r;
}

void LeftBalance(sym_node** p) {
    sym_node* l = (*p)->left;
    if (l->balance == 1) {
        (*p)->balance = l->balance = 0;
        R_Rotate(p);
    } else if (l->balance == -1) {
        sym_node* r = l->right;
        if (r->balance == 1) {
            (*p)->balance = -1;
            l->balance = 0;
        } else if (r->balance == 0) {
            (*p)->balance = l->balance = 0;
        } else {
            (*p)->balance = 0;
            l->balance = 1;
        }
        r->balance = 0;
        L_Rotate(&(*p)->left);
        R_Rotate(p);
    }
}

void RightBalance(sym_node** p) {
    sym_node* r = (*p)->right;
    if (r->balance == -1) {
        (*p)->balance = r->balance = 0;
        L_Rotate(p);
    } else if (r->balance == 1) {
        sym_node* l = r->left;
        if (l->balance == -1) {
            (*p)->balance = 1;
            r->balance = 0;
        } else if (l->balance == 0) {
            (*p)->balance = r->balance = 0;
        } else {
            (*p)->balance = 0;
            r->balance = -1;
        }
        l->balance = 0;
        R_Rotate(&(*p)->right);
        L_Rotate(p);
    }
}

int InsertAVL(sym_node** root, int* taller, i64* sidx, i64* id, const estring* e) {
    sym_node* node = *root;
    if (!node) {
        node = static_cast<sym_node*>(AL2(sizeof(sym_node), 1));
        estring_assign_e(node, e);
        node->left = node->right = nullptr;
        node->balance = 0;
        *sidx += 1;
        node->id = *id = *sidx;
        psym[node->id] = node;
        *root = node;
        *taller = 1;
        return 1;
    }
    int c = cmp(e, &node->str);
    if (c == 0) {
        *id = node->id;
        *taller = 0;
        return 0;
    }
    if (c < 0) {
        if (!InsertAVL(&node->left, taller, sidx, id, e)) return 0;
        if (*taller) {
            if (node->balance == 1) {
                LeftBalance(root);
                *taller = 0;
            } else if (node->balance == 0) {
                node->balance = 1;
                *taller = 1;
            } else {
                node->balance = 0;
                *taller = 0;
            }
        }
    } else {
        if (!InsertAVL(&node->right, taller, sidx, id, e)) return 0;
        if (*taller) {
            if (node->balance == 1) {
                node->balance = 0;
                *taller = 0;
            } else if (node->balance == 0) {
                node->balance = -1;
                *taller = 1;
            } else {
                RightBalance(root);
                *taller = 0;
            }
        }
    }
    return 1;
}

i64 insertsym(const estring* e) {
    if (!psym) psym = static_cast<sym_node**>(acalloc(sybmax, sizeof(sym_node*)));
    while (sindex >= sybmax - 1) IncSym();
    int taller = 0;
    i64 id = -1;
    InsertAVL(&T, &taller, &sindex, &id, e);
    return id;
}

i64 getsymbol(const char* text) {
    estring e;
    estring_assign_str(&e, text);
    return insertsym(&e);
}
