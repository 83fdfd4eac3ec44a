// Dates and times: the temporal element types 7 to 12 (month, date,
// datetime, minute, second, time), their packing, validation, day counts,
// literal readers, text forms and arithmetic.
//
// Packed forms, one 8-byte element each:
//   month    year*100 + month                      e.g. 2015.08m
//   date     year*10000 + month*100 + day          e.g. 2015.08.10
//   datetime (double) date*86400000 + ms of day    e.g. 2015.08.10T09:05:03.007
//   minute   hour*60 + minute                      e.g. 09:05
//   second   hour*3600 + minute*60 + second        e.g. 09:05:03
//   time     ms of the day                         e.g. 09:05:03.007
// Valid years are 1900 to 2100.
#pragma once
#include "values/values.h"

// ---- constant tables, indexed by type - 7 ------------------------------------

extern const int dtoff[6];           // first field of a type's run in the seven-field order
extern const int dtmax[6];           // number of fields of the run
extern const i64 timesize[6];        // literal length and print width: 8 10 23 5 8 12
extern const i64 monthday[13];       // days of months 1..12 (entry 0 unused)
extern const i64 DSIZE[6];           // fields compared by dtcompare
extern const i64 enn[6];             // radix of each field relative to the one before
constexpr i64 DSTA = 1900;           // first valid year
constexpr i64 DSED = 2100;           // last valid year
constexpr double MSDAY = 8.64e7;     // milliseconds per day
extern const char* const dtsym0[7];  // field names: year month day hour minute second ms
extern const char* const dtsym1[7];  // short names: yy mm dd hh uu ss ms

// Status of the last temporal arithmetic call: 0 success, MERR_FAIL failure.
extern i64 merr;
constexpr i64 MERR_FAIL = 3;

// A text buffer handed to optime1/optime2 must hold at least TIMEBUF bytes.
constexpr i64 TIMEBUF = 64;

// ---- fields, packing, validation, day numbers -------------------------------

bool isleap(i64 year);
// Fields of a packed month/date/minute/second/time value (the run of its type).
// Returns 0, or -1 for another type (nothing written).
i64 dtconvt1(i64 type, i64 value, i64* fields);
// All seven fields of a datetime.
void dtconvt2(i64* fields, double v);
// Packs a type's run of fields; -1 for another type. No validation.
i64 dtvalue1(i64 type, const i64* fields);
// Packs seven fields into a datetime. No validation.
double dtvalue2(const i64* fields);
// 1 when the fields (the run of the type) are valid, else 0.
int checkDT(i64 type, const i64* fields);
// A packed month/date/minute/second/time value that is a real one (not a
// null, not out of range), split into fields (its run).
bool ValidTemporal(i64 type, i64 value, i64* fields);
// The same for a datetime, into seven fields.
bool ValidInstant(double value, i64* fields);
// Day number of year, month, day in fields[0..2]; 1900-01-01 is day 1.
i64 trandate(const i64* fields);
// The packed date (yyyymmdd) of a day number; inverse of trandate.
i64 retrandate(i64 n);

// ---- text forms -------------------------------------------------------------

// Text of one month, date, minute, second or time element; returns its length.
i64 optime1(i64 value, i64 type, char* buffer);
// Text of one datetime element; returns its length.
i64 optime2(char* buffer, double value);

// ---- literal readers --------------------------------------------------------

// One literal of type 7, 8, 10, 11 or 12 of exactly len characters.
// compute: the packed value; else 0 when valid, -1 when not. -1 for a wrong form.
i64 ReadDate1(const char* text, i64 type, bool compute, i64 len);
// One datetime literal of 19 characters (23 with milliseconds).
double ReadDate2(const char* text, bool compute, i64 len, bool withMilliseconds);
// Reads a run of blank-separated literals of one type from text[*pos].
// Returns 0 (read), 1 (not a temporal literal), E_TIME_FORMAT or E_DATETIME_VALUE (also in errchk).
i64 isdatetime(const char* text, i64* pos, bool store, i64* count, i64* type, i64* out);
// The value of the n digits at text[pos].
i64 getval(const char* text, i64 pos, i64 n);
// A CSV date "month/day/yy" as a packed date; the integer null when the
// cell is not a valid date.
i64 getdate0(const char* text);

// ---- arithmetic (FC_ADD, FC_SUBTRACT) ------------------------------------------

// v + n (v - n for FC_SUBTRACT) for a month/date/minute/second/time v; 0 or MERR_FAIL.
i64 amtime0(i64 code, i64 type, i64 v, i64 n, i64* out);
// Datetime v + n milliseconds (v - n for FC_SUBTRACT); 0 or MERR_FAIL.
i64 amtime0E(i64 code, i64 n, double* out, double v);
// a - b of one type in months, days, minutes, seconds or milliseconds; 0 or MERR_FAIL.
i64 amtime1(i64 type, i64 a, i64 b, i64* out);
// a - b of two datetimes in milliseconds; always 0.
i64 amtime1E(double* out, double a, double b);

// ---- spare routines -----------------------------------------------------------

struct DayTime {
    i64 f[8];  // 0 (unused), year, month, day, hour, minute, second, ms
};
// -1 when the first DSIZE fields are equal; 1 when a's first differing field
// is larger, 2 when smaller.
i64 dtcompare(i64 type, const i64* a, const i64* b);
// Packs n fields by the radices of enn, from year (or hour when time);
// returns the count of fields read, the packed value in *value.
i64 encalc(const i64* fields, i64 n, bool time, double* value);
// Copies the digit run at text[pos] into anumbuf; returns its length.
extern char anumbuf[32];
i64 getanum(const char* text, i64 pos);
// Validation of a run of fields for types 7 to 12; 1 valid, 0 not.
int chkdatetime(const i64* fields, i64 type);
void DTime_Init(DayTime* d);
void DTime_Value(DayTime* d, i64 type, i64 value);
