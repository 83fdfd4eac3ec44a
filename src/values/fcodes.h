// Function codes: the number by which an application record names a
// primitive. The parser writes them, the primitive table binds each to its
// routine, and routines that serve several codes receive the code.
//
// Codes 26 to 100 come in pairs: the even code is the monadic use of a
// symbol, the odd one its dyadic use. Derived codes add to a base: reduce,
// scan and outer product add the dyadic code f of their function; the axis
// forms add the axis d (from 1); an inner product is 100 f + g.
#pragma once
#include <cstdint>

enum fcode : int64_t {
    FC_BRANCH = -1,  // "->" inside a statement
    FC_ASSIGN = 0,
    FC_INDEX = 1,  // A[i;j], and the list and table literals
    FC_ISEP = 2,   // ";" between index positions or list items
    FC_TAKE = 3,
    FC_DROP = 4,
    FC_COMPRESS = 5,   // last axis
    FC_COMPRESS1 = 6,  // first axis
    FC_EXPAND = 7,
    FC_EXPAND1 = 8,
    FC_MEMBER = 9,
    FC_DECODE = 10,
    FC_ENCODE = 11,

    // Logic and comparison (dyadic).
    FC_OR = 12,
    FC_AND = 13,
    FC_NOR = 14,
    FC_NAND = 15,
    FC_LT = 16,
    FC_LE = 17,
    FC_GE = 18,
    FC_GT = 19,
    FC_NE = 20,
    FC_EQ = 21,

    FC_EXECUTE = 22,
    FC_GRADEDOWN = 23,
    FC_GRADEUP = 24,
    FC_NOT = 25,
    FC_PAIRED_FIRST = 26,  // 26..100: monadic (even) and dyadic (odd) pairs
    FC_ROLL = 26,
    FC_DEAL = 27,
    FC_SHAPE = 28,
    FC_RESHAPE = 29,
    FC_RAVEL = 30,
    FC_CATENATE = 31,
    FC_IOTA = 32,
    FC_INDEXOF = 33,
    FC_REVERSE = 34,  // last axis
    FC_ROTATE = 35,
    FC_TRANSPOSE = 36,
    FC_TRANSPOSE2 = 37,  // with an axis list
    FC_REVERSE1 = 38,    // first axis
    FC_ROTATE1 = 39,
    FC_FORMAT = 40,
    FC_FORMAT2 = 41,  // with a separator
    FC_MATINV = 42,
    FC_MATDIV = 43,

    // Scalar functions: monadic (even) and dyadic (odd) pairs.
    FC_SCALAR_FIRST = 44,
    FC_IDENTITY = 44,
    FC_ADD = 45,
    FC_NEGATE = 46,
    FC_SUBTRACT = 47,
    FC_SIGNUM = 48,
    FC_MULTIPLY = 49,
    FC_RECIPROCAL = 50,
    FC_DIVIDE = 51,
    FC_CEILING = 52,
    FC_MAX = 53,
    FC_FLOOR = 54,
    FC_MIN = 55,
    FC_EXP = 56,
    FC_POWER = 57,
    FC_LN = 58,
    FC_LOG = 59,
    FC_MAGNITUDE = 60,
    FC_RESIDUE = 61,
    FC_FACTORIAL = 62,
    FC_BINOMIAL = 63,
    FC_PITIMES = 64,
    FC_CIRCLE = 65,
    FC_SCALAR_LAST = 65,

    // Axis forms.
    FC_CATENATE1 = 66,  // catenate on the first axis; 66 + d on axis d
    FC_CATENATE_LAST = 71,
    FC_COMPRESS_AX = 71,  // + d: 72..76
    FC_EXPAND_AX = 76,    // + d: 77..81
    FC_LAMINATE = 82,     // 82..88
    FC_LAMINATE_LAST = 88,
    FC_REVERSE_AX = 88,  // + d: 89..93
    FC_ROTATE_AX = 93,   // + d: 94..98
    FC_AXIS_LAST = 98,
    FC_PAIRED_LAST = 100,

    // Operators: + the dyadic code f of the function.
    FC_REDUCE = 100,  // last axis
    FC_SCAN = 200,
    FC_REDUCE1 = 300,  // first axis
    FC_SCAN1 = 400,
    FC_OUTER = 500,
    FC_OUTER_LAST = 750,
    FC_OUTER2 = 800,  // 800..900: served as outer products too
    FC_OUTER2_LAST = 900,

    // Quad functions.
    FC_QUAD_FIRST = 601,
    FC_QD_FX = 601,
    FC_QD_CR = 602,
    FC_QD_XD = 603,
    FC_QD_XC = 604,
    FC_QD_AI = 605,
    FC_QD_MONADIC_LAST = 650,  // 601..650: the monadic quad functions
    FC_QD_CSV = 607,
    FC_QD_OPEN = 608,
    FC_QD_CLOSE = 609,
    FC_QD_TS = 610,    // the time stamp
    FC_QD_READ = 611,  // the bare quad: a line of input
    FC_QD_WRITE = 612,
    FC_QD_GET = 613,
    FC_QD_FM = 651,
    FC_QD_OP = 652,
    FC_QD_XR = 653,
    FC_QD_XW = 654,
    FC_QD_XXR = 655,
    FC_QD_XXW = 656,
    FC_QD_XN = 657,
    FC_QUAD_LAST = 657,

    // List primitives (monadic).
    FC_UNPACK = 701,
    FC_ENCLOSE = 702,
    FC_TYPE = 703,
    FC_UNIQUE = 704,
    FC_COUNT = 705,
    FC_FIRST = 706,
    FC_RAZE = 707,
    FC_WHERE = 708,
    FC_GROUP = 709,
    FC_PARTCOUNT = 710,
    FC_LIST711 = 711,

    // Dyadic list, dictionary and file primitives.
    FC_CUT = 751,
    FC_QUOTE = 752,  // the each operator
    FC_DICT = 753,
    FC_DOT = 754,
    FC_CHECK = 755,
    FC_MATCH = 756,
    FC_APPEND = 757,
    FC_RESERVED = 758,  // 758..799: kept for dyadic list primitives; refused
    FC_RESERVED_LAST = 799,

    FC_INNER = 901,  // from here up: inner products, 100 f + g
};

// The dyadic function code f inside a reduce, scan or outer-product code.
inline int64_t fc_operand(int64_t code) { return code % 100; }

// Whether code is the axis form base + d of an axis d from 1 to 5.
inline bool fc_axis_form(int64_t code, int64_t base) { return code > base && code <= base + 5; }
