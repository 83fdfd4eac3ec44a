// Inside the dictionary subsystem: the parts of dictionaries and tables, the
// row hash, key lookup and the builders of compound results. Only the files
// of src/dict include this header.
//
// Any allocation may start a collection, which moves named blocks. So no
// pointer into a value's data is kept across an allocation: the value is
// reached again from its slot (vtable entries never move).
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "dict/dict.h"
#include "values/errors.h"
#include "values/operand.h"

typedef uint64_t u64;

constexpr i64 SUB_PLAIN = 1;  // dictionary sub-kinds, kept in dim0
constexpr i64 SUB_KEYED = 2;
constexpr i64 KEYPART = 0, VALPART = 1;  // the two tables of a keyed table

// ---- parts ------------------------------------------------------------------

inline val_item* ItemOf(const val_item* list, i64 k) { return &items_of(list)[k]; }
inline bool IsPlainDict(const val_item* v) { return v->type == TDICT && v->dim0 == SUB_PLAIN; }
inline bool IsKeyed(const val_item* v) { return v->type == TDICT && v->dim0 == SUB_KEYED; }
inline val_item* TableNames(const val_item* t) { return &items_of(t)[0]; }
inline val_item* TableCols(const val_item* t) { return &items_of(t)[1]; }
inline i64 TableRows(const val_item* t) { return TableCols(t)->dim0; }
inline i64 TableWidth(const val_item* t) { return TableCols(t)->count; }
// Rows of a column: a character matrix's first dimension, else its count.
inline i64 ColumnRows(const val_item* c) { return c->rank > 1 ? c->dim0 : c->count; }
// A one-element value of a simple type (not a list).
inline bool IsScalarItem(const val_item* v) {
    return single(v) && v->type <= TTIME && v->type != TLIST;
}
inline bool IsCharVector(const val_item* v) { return v->type == TCHAR && v->rank <= 1; }
// A list of exactly one item stands for that item.
inline const val_item* Unwrap(const val_item* v) {
    return v->type == TLIST && v->count == 1 ? ItemOf(v, 0) : v;
}
// The 64-bit words of a value of a word type (enumerations: past the header).
inline const i64* WordsOf(const val_item* v) {
    if (v->type == TENUM) return reinterpret_cast<const i64*>(v->data) + 2;
    return static_cast<const i64*>(getptV(const_cast<val_item*>(v)));
}
inline const char* BytesOf(const val_item* v) {
    return static_cast<const char*>(getptV(const_cast<val_item*>(v)));
}
inline bool IsNumeric(i64 t) { return t == TBOOL || t == TINT || t == TFLOAT || t == TCPLX; }
inline bool IsFloatType(i64 t) { return t == TFLOAT || t == TDATETIME; }

// Position of the column named by symbol id sym, or -1.
i64 ColumnIndex(const val_item* names, i64 sym);
// Whether every symbol of names (n of them) names a column; out, when given,
// receives their positions.
bool AllColumns(const val_item* table, const i64* names, i64 n, i64* out);

// ---- row hash (rowhash.cpp) ---------------------------------------------------

// Size of a slot array for n rows: twice the first entry above n of a fixed
// list, and at least twice n past its end.
i64 get_prime(i64 n);
// 1 when no two rows of the column list are equal in every column, else 0;
// -1 (E_WS_FULL in errchk) when its scratch cannot be had.
i64 isValUQ(const val_item* cols, i64 rows, i64 ncols);
// The error of a uniqueness answer of isValUQ or NewRowsUnique: none for 1,
// E_TABLE_COLUMN_MISSING for 0, E_WS_FULL for -1.
inline i64 UniqueError(i64 unique) {
    if (unique > 0) return 0;
    return unique < 0 ? E_WS_FULL : E_TABLE_COLUMN_MISSING;
}
// 1 when rows old..total-1 of the column list differ from one another and
// from every row before old (those are taken to differ among themselves),
// else 0; -1 (E_WS_FULL in errchk) when its scratch cannot be had. The
// index is built over the new rows only, so a few rows appended to many
// probe a small table.
i64 NewRowsUnique(const val_item* cols, i64 ncols, i64 old, i64 total);
// 1 when both are character vectors of the same text.
i64 sameH(const val_item* a, const val_item* b);

// Hash of a whole value (a key); equal to the hash of a row or list item
// that compares equal to it.
u64 ValueHash(const val_item* v);
// Hash of row r of a column list (one cell per column).
u64 RowHash(const val_item* cols, i64 ncols, i64 r);
// Whether cell r of column a equals cell s of column b; s = -1 compares
// with b taken whole as one cell value (a key value).
bool CellSame(const val_item* a, i64 r, const val_item* b, i64 s);
// Whether row r of cols equals the key: a list of one value per column, or
// the single column's value.
bool RowIsKey(const val_item* cols, i64 ncols, i64 r, const val_item* key);

// An open-addressing index of the rows of a column list, built in scratch.
// Equal rows keep the first of them, so a lookup finds the earliest row.
struct RowSlot {
    i64 row;   // -1: empty
    u64 hash;  // the row's hash
};
struct RowIndex {
    const val_item* cols;
    i64 ncols;
    RowSlot* slots;
    i64 size;
};
// Enters rows 0..rows-1; false (E_WS_FULL in errchk) without scratch.
bool RowIndexBuild(RowIndex* x, const val_item* cols, i64 ncols, i64 rows);
// The earliest row equal to the key, or -1.
i64 RowIndexKey(const RowIndex* x, const val_item* key);
// The earliest row equal to row s of another column list, or -1.
i64 RowIndexRow(const RowIndex* x, const val_item* other, i64 s);

// ---- lookup (lookup.cpp) -----------------------------------------------------

// Positions (0-origin) of the wanted value's elements among the elements of
// keys, the first occurrence winning; the keys' count for a missing one.
// False when the two types cannot hold equal elements.
bool KeyPositions(const val_item* keys, const val_item* wanted, i64* out);
// A vector of n elements of a simple type over scratch (inline for one);
// rank -1 (E_WS_FULL in errchk) when the scratch cannot be had.
val_item ScratchVector(i64 type, i64 n);
i64 dict_indx0(const val_item* keys, const val_item* wanted, i64* out, i64 origin, bool strict);
i64 dict_indx_sub(const val_item* keys, const val_item* wanted, i64* out, i64 origin, bool strict);
// The key an index of a keyed table gives: the index itself, or the values
// of a dictionary that names exactly the key table's columns in order (else
// err).
i64 KeyOf(const val_item** key, const val_item* idx, const val_item* keytable, i64 err);
// Rows (0-origin, in scratch) of the key table's column list that hold the
// keys; *single tells whether one key was given.
i64 SearchKeys(i64** rows, i64* n, bool* onekey, const val_item* cols, i64 nrows,
               const val_item* key);

// ---- selection by values (items.cpp, members.cpp) --------------------------------

// Marks (flags[r] = 1) the rows of column col equal to any value of keys (a
// list gives one value per item; a character vector is one text against a
// column of texts); 1 for a column of dates or times.
i64 findsameitem(i64* flags, i64 rows, const val_item* col, const val_item* keys);
// The rows (ascending) whose cells equal one of the values the dictionary
// gives for their column: typeerr when its keys are no symbols, 25 for a
// name that is no column or when no row holds a value.
i64 RowsHolding(std::vector<i64>* rows, const val_item* table, const val_item* dict, i64 typeerr);
// Row numbers of an integer index, origin removed, checked against the rows (25).
i64 RowNumbers(std::vector<i64>* rows, const val_item* idx, i64 nrows, i64 io);
// Every row number 0 to nrows-1, in order; E_WS_FULL when there is no room.
i64 AllRows(std::vector<i64>* rows, i64 nrows);
// Membership bits (packed, 32 to a word) of nv values among nd of one type;
// nullptr (E_WS_FULL in errchk) when the search's scratch cannot be had.
i64* MemberBits(i64 type, const void* values, i64 nv, const void* domain, i64 nd);
bool MemberBit(const i64* bits, i64 i);

// ---- enumerations (enums.cpp) ----------------------------------------------------

// Positions of v's elements among the domain items: 0; E_TYPE when v is not
// of the domain item type; E_DOMAIN when an element is no domain item, or
// there is no domain. An empty v has nothing to place.
i64 EnumPositions(const EnumDom& d, const val_item* v, i64* out);
// A copy of an enumeration's stored indexes, in scratch; nullptr (E_WS_FULL
// in errchk) when the scratch cannot be had.
i64* ScratchIndexes(const val_item* en);
// t := the enumeration named name (word 1: slot) holding the n indexes.
i64 NewEnum(val_item* t, i64 name, i64 slot, const i64* idx, i64 n, bool named);
// t := what n stored indexes stand for: the domain items, or the indexes as
// integers when any is out of range.
i64 EnumValues(val_item* t, const EnumDom& d, const i64* idx, i64 n, bool named);
// Of a and b, one at least an enumeration, the one whose header the join of
// the two takes: an enumeration with items before one without.
const val_item* EnumHeader(const val_item* a, const val_item* b);
// Whether two enumerations join as one: the same domain name, or either
// without items (and so without a name).
bool SameDomainName(const val_item* a, const val_item* b);
// t := a then b as one enumeration over the domain of EnumHeader(a, b): an
// enumeration's indexes as they are, a plain vector's elements by their
// positions in the domain (EnumPositions' codes when they have none).
i64 JoinEnum(val_item* t, const val_item* a, const val_item* b, bool named);

// ---- building results (build.cpp) --------------------------------------------

// A fresh list of n items (its first dimension n) for t, owning nothing yet.
i64 NewList(val_item* t, i64 n, bool named);
// A fresh vector of n elements of a simple type for t, to be filled (a
// character vector's terminator is set).
i64 NewVector(val_item* t, i64 type, i64 n, bool named);
// Builds into t (owning nothing) the table of the named columns (symbol ids)
// and rows, column k made by make into a descriptor owning nothing yet.
typedef std::function<i64(val_item* column, i64 k)> ColumnMaker;
i64 TableOf(val_item* t, const std::vector<i64>& names, i64 rows, const ColumnMaker& make,
            bool named);
// Gives slot res an empty compound value of type 91 (with its sub-kind) or 92.
i64 NewCompound(i64 res, i64 type, i64 subkind);
// Same for a descriptor that owns nothing yet.
i64 NewCompoundItem(val_item* t, i64 type, i64 subkind, bool named);
// Moves a finished descriptor into part k of the compound or list *owner.
void PutItem(val_item* owner, i64 k, val_item* made);
// Gives up a finished descriptor's blocks after a failure.
void DropMade(val_item* made, bool named);
// Column j of the table at (src, part) (see TableAt) is re-read after every
// allocation. Copies of its chosen rows (0-origin): a vector, a list of
// strings, or a character matrix of those rows.
i64 SelectColumn(val_item* t, i64 src, i64 part, i64 j, const i64* rows, i64 n, bool named);
// The value of one cell: a one-element vector, a character-matrix row, or a
// copy of a list column's item.
i64 CellValue(val_item* t, i64 src, i64 part, i64 j, i64 row, bool named);
// Builds into t (owning nothing) the table of the chosen rows of the table
// held in part `part` of slot src (-1: the slot itself); one row gives a
// dictionary from the names to the row's values when asdict is set.
i64 RowsOf(val_item* t, i64 src, i64 part, const i64* rows, i64 n, bool asdict, bool named);
// The table held in slot src (part -1) or in its part 0 or 1.
val_item* TableAt(i64 src, i64 part);
// Column positions of the names (a symbol value), which must all be
// columns of the table, else 1.
i64 ColumnNumbers(std::vector<i64>* cols, const val_item* table, const val_item* names);
// Gives res the chosen columns of the table at (src, part): each whole
// (rows null), the cell of a single row index, or the chosen rows; the one
// pick itself, or a list of them when aslist is set.
i64 Picks(i64 res, i64 src, i64 part, const std::vector<i64>& cols, bool aslist, const i64* rows,
          i64 n, bool onerow);
// Gives res the integer vector of the n values plus origin.
i64 IntResult(i64 res, const i64* vals, i64 n, i64 origin);
// Moves a finished descriptor into slot res.
void SetSlot(i64 res, val_item* made);

// ---- spare routines (spare.cpp) ---------------------------------------------------
// No primitive calls them.

// Key hash of a value: a list adds its items' hashes; any other value adds,
// over its elements i, c_i + v_i, where c_0 = 0x7FED7FED doubles (wrapping)
// from one element to the next and v_i is the element as an integer: the
// integer part of 1000 x for floats, a character's byte.
u64 hash_dic_list(const val_item* v);
// Fills slots (get_prime(n) of them) with the positions of the n keys of the
// type (list keys: descriptors), -1 for empty slots; equal keys keep the first.
void hash_dict(const void* keys, i64 n, i64 type, i64* slots);
// origin + the position of each of the m wanted keys among the n keys whose
// slots hash_dict filled: 0, or 25 for a missing key.
i64 dict_hash(const void* wanted, const void* keys, i64 type, i64 m, i64 n, const i64* slots,
              i64* out, i64 origin);
// The first row of the key columns equal to the key (one value per column:
// a list, or a simple vector of one type), by a linear search; -1 with errchk
// 3 (not one value per column), 7 (a value of another type) or 25 (no row).
i64 PfTableKIndex(const val_item* cols, const val_item* key);
// ChkEnum's test.
i64 isEnumOK(const i64* idx, i64 count, i64 n);
// The null (1) or infinity (2) literal at text[*pos], "_" allowed before
// "0n" or "0w", moving *pos past it; 0 for anything else.
i64 isnu0(const char* text, i64* pos);
