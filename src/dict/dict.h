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
// symbol on the left makes an enumeration (GenEnum).
i64 PfDict(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// a~b: a boolean scalar, 1 when the two values are identical (PfMatchSub).
i64 PfMatch(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfMatchSub(const val_item* a, const val_item* b);
// t.fk.name for the variable in slot tv and the symbol constants c1, c2;
// -1 when fk is no enumeration column of a table or keyed table.
i64 PfDot2(i64 res, i64 tv, i64 c1, i64 c2);
// Whether t.c1 (tv a value slot, c1 a constant) is for PfDot2: a foreign key
// column of a table, or a name without a value (PfDot2 says so). Any other
// value's dot is an ordinary one, applied to the value the first dot gives.
bool DotForeignKey(i64 tv, i64 c1);
// A table literal: items 0..n in evaluation order (right to left), tags[k]
// the symbol id naming item k; the pair (-1, -1) with tag -1 parts the value
// columns (before it) from the key columns (after it).
i64 PfGenTab(i64 res, i64* cidx, i64* vidx, i64 n, i64* tags, i64 lasttag);

// ---- reserved functions and the query layer ---------------------------------
// The monadic (key value cols meta keys fkeys) and dyadic (xkey like)
// reserved functions, by their function row (ROW_*).
i64 PfSystems1(i64 row, i64 res, i64 rc, i64 rv);
i64 PfSystems2(i64 row, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// Column names; the keyed table describing the columns (c | t f a); key
// column names; the dictionary of enumeration columns to their domains. The
// empty integer vector for what is no table or keyed table in a value slot.
i64 PfCols(i64 res, i64 rc, i64 rv);
i64 PfMeta(i64 res, i64 rc, i64 rv);
i64 PfKeys(i64 res, i64 rc, i64 rv);
i64 PfFkey(i64 res, i64 rc, i64 rv);
// texts like pattern: "%" any run of characters, "_" any one. A boolean
// scalar for a text, a boolean vector for a list (items not texts: 0).
i64 PfLike(i64 res, const val_item* left, const val_item* right);
// Matches a text against a regular expression taken as it is: 1 match, 0
// none, -1 when the expression does not compile.
i64 PfLikeSub(const char* expr, i64 n, const char* text, i64 m);
// do: runs the statement text through the query prelude, loading it first
// when it is not loaded (205 when it cannot be). The []IO slot io is set to
// 0. res may come back as the named slot that holds the result.
i64 PfDo(i64* res, i64 rc, i64 rv, i64 temp, i64 row, i64 depth, i64* io);
// Runs the prelude's text, the standard functions first, through the script
// reader: its functions and variables are defined in the workspace.
i64 FetchFunc();
// 1 when the name (DBListN) or the function of the row (DBListM) is one of
// the prelude's own functions, which are never shown.
i64 DBListN(const char* name);
i64 DBListM(i64 row);
// The call text of the query prelude, in a new block: "do__v1 '", the n
// characters of text with each quote doubled and a zero byte read as a
// blank (it would end the text), and "'". Its length goes to *length.
char* conq2(const char* text, i64 n, i64* length);
// The prelude's local that holds, as a text, the name of the table a
// statement reads (SELECT, EXEC, INSERT INTO) while it runs.
constexpr const char* QUERY_TABLE = "t_1942";
// The prelude's local that holds the Zem text of the columns LOAD TABLE
// makes while it runs them.
constexpr const char* QUERY_COLUMNS = "u_1942";

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
// keys or a table on the right (the operand rc, rv: a constant or a slot).
i64 TabIdxof(i64 res, i64 lv, i64 rc, i64 rv, i64 io);
// Index-of with an enumeration on the left.
i64 EnumIdxof(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io);
// 1 when each of the nv values is among the nd domain values (of one type).
i64 ChkMemb(const void* domain, i64 nd, const void* values, i64 nv, i64 type);
// 1 when each of the n indexes lies in io .. io+m-1 (io: the []IO slot).
i64 ChkIndx(const i64* indexes, i64 n, i64 m, i64 io);

// ---- enumerations ---------------------------------------------------------------
// An enumeration's data: word 0 the symbol naming its domain variable, word 1
// the slot that variable had when the enumeration was made (a record only,
// never followed), then one 0-origin domain index per item. The domain is
// found again by its name at every use, dynamic scope first: a symbol vector,
// or the one simple key column of a keyed table. A name that is unbound, or
// bound to anything else, gives no domain, and every item is out of range.
struct EnumDom {
    i64 slot;    // the domain variable's slot; -1: no domain
    bool keyed;  // its items are a keyed table's key column
    i64 count;   // domain items (0 without a domain)
    i64 type;    // their type (-1 without a domain)
};
// The domain the name (a symbol id) gives now.
EnumDom EnumResolve(i64 name);
// The domain of an enumeration.
EnumDom EnumDomainOf(const val_item* en);
// The domain items as they stand now (re-read after any allocation); null
// without a domain.
val_item* DomainItems(const EnumDom& d);
// The words of an enumeration: its data. One of no items holds no data, so
// no header either: it names no domain, and joins any other enumeration.
const i64* EnumWords(const val_item* en);
// The symbol naming the domain (0 for none), and the stored indexes.
inline i64 EnumName(const val_item* en) { return EnumWords(en)[0]; }
inline const i64* EnumIndexes(const val_item* en) { return EnumWords(en) + 2; }
// s:v with a single symbol s: an enumeration of v over the variable s names.
i64 GenEnum(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// value e: the domain items the enumeration holds, or its stored indexes as
// integers when any is out of range.
i64 PfVenum(i64 res, i64 rc, i64 rv);
// e[i] <- v: the domain positions of the values (all members, else 1; of the
// domain item type, else 7) are stored at the items i - origin.
i64 GenEnud(i64 target, i64 ic, i64 iv, i64 vc, i64 vv, i64 origin);
// 1 when every one of the count indexes lies in 0 .. n-1.
i64 ChkEnum(const i64* indexes, i64 count, i64 n);

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

// ---- hand-overs upward (filled by system/handovers.cpp) ---------------------
// do runs its call text through the evaluator (PfExecuSub) within the
// running statement (SetLineContext), having loaded the prelude through the
// script reader (GetLines); a dictionary's values are updated by the
// evaluator's indexed assignment of a list (GenIndexA).
struct line_context;
struct zem_line;
struct dict_handovers {
    i64 (*run_text)(i64 res, char* text, i64 length, i64 temp, i64 row, i64 depth, i64* io);
    void (*set_context)(const line_context* context);
    i64 (*read_lines)(zem_line* list, const char* path, i64 width);
    i64 (*index_assign)(i64 target, i64 ic, i64 iv, i64* idxc, i64* idxv, i64 vc, i64 vv, i64 n,
                        i64 io);
};
extern dict_handovers dict_up;

// ---- hand-overs from the array primitives -------------------------------------
// Catenation with an enumeration (plain form only).
i64 PfGenum(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// Catenation with a dictionary, keyed table or table: rows, and side by side.
i64 TableCate(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, bool keycheck);
i64 TableCateCol(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// Column selection: a symbol vector reshaping a table (201 for a name that
// is no column). Both are descriptors of the slot tables.
i64 GenReshpTabl(i64 res, const val_item* names, const val_item* table);
// One named part of a value; name is the symbol id of the part's name.
i64 PfDotV(i64 res, val_item* value, i64 name, i64* idx, i64 n, bool inl);
