// The texts of the query prelude and of the standard functions it uses,
// made by the build from src/dict/prelude.zsf and src/dict/standard.zsf:
// one string per line, the array ended by a null pointer.
#pragma once

extern const char* const prelude_lines[];
extern const char* const standard_lines[];
