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
// PfDict and PfMatch are not built yet: their rows in eval/primtable.cpp
// answer E_NOT_BUILT until they are written and wired there.
i64 PfDict(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfMatch(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// -1 when the two-level form does not apply.
i64 PfDot2(i64 res, i64 tv, i64 c1, i64 c2);
i64 PfGenTab(i64 res, i64* cidx, i64* vidx, i64 n, i64* tags, i64 lasttag);

// ---- reserved functions and the query layer ---------------------------------
i64 PfSystems1(i64 row, i64 res, i64 rc, i64 rv);
i64 PfSystems2(i64 row, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfDo(i64* res, i64 rc, i64 rv, i64 temp, i64 row, i64 depth, i64* io);
i64 DBListN(const char* name);
i64 DBListM(i64 row);

// ---- scalar functions, lookup, update, tables, enumerations -----------------
i64 DictScala(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 dict_indx(val_item* dict, i64 c, i64 v, i64* out, i64 io);
i64 DictIndex(i64 target, i64 ic, i64 iv, i64 sc, i64 sv, i64 vc, i64 vv, i64 n, i64 io);
i64 PfTableX(i64 res, i64 tv, i64 rc, i64 rv, i64 sc, i64 sv, i64 npos, i64 io);
i64 PfTableK(i64 res, i64 tv, i64 rc, i64 rv, i64 sc, i64 sv, i64 npos, i64 io);
i64 GenEnud(i64 target, i64 ic, i64 iv, i64 vc, i64 vv, i64 origin);
i64 ChkEnum(const i64* indexes, i64 count, i64 n);
i64 FillEnum(const char* data, i64 i, char* buffer);

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
