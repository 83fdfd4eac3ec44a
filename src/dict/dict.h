// Dictionaries, tables, keyed tables, enumerations, assignment and the
// query layer. Routines taking operand pairs return an error code, also
// left in errchk.
#pragma once
#include "values/values.h"

// ---- assignment -------------------------------------------------------------
// name <- value: a named source shares its block, any other is copied;
// []RL and []PP only take a positive boolean or integer single element.
i64 PfAssign(i64 slot, i64 rc, i64 rv);

// ---- construction, match, dotted access -------------------------------------
// keys:values: a dictionary, or from two tables a keyed table; a single
// symbol on the left makes an enumeration (GenEnum). PfMatch is not built
// yet: its row in eval/primtable.cpp answers E_NOT_BUILT.
i64 PfDict(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 GenEnum(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfMatch(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// -1 when the two-level form does not apply.
i64 PfDot2(i64 res, i64 tv, i64 c1, i64 c2);
// A table literal: items 0..n in evaluation order (right to left), tags[k]
// the symbol id naming item k; the pair (-1, -1) with tag -1 parts the value
// columns (before it) from the key columns (after it).
i64 PfGenTab(i64 res, i64* cidx, i64* vidx, i64 n, i64* tags, i64 lasttag);

// ---- reserved functions and the query layer ---------------------------------
i64 PfSystems1(i64 row, i64 res, i64 rc, i64 rv);
i64 PfSystems2(i64 row, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfDo(i64* res, i64 rc, i64 rv, i64 temp, i64 row, i64 depth, i64* io);
i64 DBListN(const char* name);
i64 DBListM(i64 row);

// ---- scalar functions, lookup, update, tables, enumerations -----------------
// A dyadic scalar function with a dictionary operand: applied to the values,
// the keys kept; two dictionaries need the same keys (else 7).
i64 DictScala(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// The common row count of a dictionary's values as table columns, or -1
// with errchk 1 (not columns) or 200 (lengths differ).
i64 Dic2Table(const val_item* values);
// Monadic transpose of a dictionary (to a table) or a table (to a dictionary).
i64 DictTransp(i64 res, i64 rc, i64 rv);
// Positions ([]IO slot io) of the operand's elements among the keys of the
// dictionary dict; 25 for a missing key.
i64 dict_indx(val_item* dict, i64 c, i64 v, i64* out, i64 io);
// Indexed assignment into the dictionary, keyed table or table in slot
// target: n is -1 for one index (ic, iv), 0 for two (the second sc, sv).
// Nothing changes when it fails.
i64 DictIndex(i64 target, i64 ic, i64 iv, i64 sc, i64 sv, i64 vc, i64 vv, i64 n, i64 io);
// Selection from the table (PfTableX) or keyed table (PfTableK) in slot tv
// by rows (rc, rv) and, when npos is 2, by column names (sc, sv).
i64 PfTableX(i64 res, i64 tv, i64 rc, i64 rv, i64 sc, i64 sv, i64 npos, i64 io);
i64 PfTableK(i64 res, i64 tv, i64 rc, i64 rv, i64 sc, i64 sv, i64 npos, i64 io);
// Index-of with a table or keyed table on the left (slot lv) and a list of
// keys or a table on the right (slot rv).
i64 TabIdxof(i64 res, i64 lv, i64 rv, i64 io);
// Index-of with an enumeration on the left.
i64 EnumIdxof(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io);
// 1 when each of the nv values is among the nd domain values (of one type).
i64 ChkMemb(const void* domain, i64 nd, const void* values, i64 nv, i64 type);
// 1 when each of the n indexes lies in io .. io+m-1 (io: the []IO slot).
i64 ChkIndx(const i64* indexes, i64 n, i64 m, i64 io);
i64 GenEnud(i64 target, i64 ic, i64 iv, i64 vc, i64 vv, i64 origin);
i64 ChkEnum(const i64* indexes, i64 count, i64 n);
i64 FillEnum(const char* data, i64 i, char* buffer);

// ---- checks of lists and columns ---------------------------------------------
// The type shared by all items of a list; -1 when empty or mixed.
i64 ListSame(const val_item* list);
// The common row count of a list's items (character matrices by rows), 0
// for an empty list; -1 when they differ or for a value that is no list.
i64 judgelist(const val_item* v);
// 1 when all items of the list have the same element count.
i64 chk_dict_val(const val_item* list);
// Whether n pairs of columns can be catenated: 0, or 1, 7, 203 (errchk too).
i64 chk_ftab_val(const val_item* left, const val_item* right, i64 n);
// 1 when element i is null: a NaN float or the empty symbol.
i64 Vnull(const val_item* v, i64 i);

// ---- hand-overs from the array primitives -------------------------------------
// Catenation with an enumeration (plain form only).
i64 PfGenum(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// Catenation with a dictionary, keyed table or table: rows, and side by side.
i64 TableCate(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, bool keycheck);
i64 TableCateCol(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// Column selection: a symbol vector reshaping a table.
i64 GenReshpTabl(i64 res, val_item* names, val_item* table);
// One named part of a value; name is the symbol id of the part's name.
i64 PfDotV(i64 res, val_item* value, i64 name, i64* idx, i64 n, bool inl);
