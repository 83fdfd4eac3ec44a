// State of one control-structure rewriting; shared by the rewriter's own
// files only. One rewriting runs at a time.
#pragma once
#include <string>
#include <vector>

#include "values/linelist.h"

// The labels an open loop's "continue" and "break" branch to.
struct LoopLabels {
    i64 next;  // the loop's next round
    i64 out;   // the line after the loop
};

struct Rewriter {
    zem_line* linep = nullptr;       // node of the input line being read
    i64 TNL = 0;                     // input lines, header included
    i64 CLX = -1;                    // index of the input line being read
    std::string cur;                 // its text, the text that is scanned
    size_t pos = 0;                  // scan position in cur
    zem_line* linex = nullptr;       // last output line written
    i64 Mx = 0;                      // output lines written
    i64 LBX = -1;                    // last label number
    i64 FOX = 0;                     // counter of the for-over-vector temporaries
    i64 CSX = 0;                     // counter of the case test labels
    std::vector<LoopLabels> ldep;    // labels of the open loops
    i64 parenum = 0;                 // open "{" blocks
    bool perr = false;               // structure fault
    std::vector<std::string> temps;  // generated loop temporaries
    std::vector<std::string> own;    // the labels the function's lines give
};

extern Rewriter rw;

zem_line* ParseGlue(const std::string& text);
std::string Label(i64 n);
// The next label number whose label the function's own lines do not give.
i64 NewLabel();
// The next case test label (CS and a number) the function does not give.
std::string NewCaseLabel();
bool Fault();
bool NextLine();
void SkipBlanksCur();
bool AtEnd();
// "else" as a whole word at position i of s.
bool IsElse(const std::string& s, size_t i);
// Position of the ")" closing the "(" just before `from`, or -1 (fault).
i64 ParseNxubrp(const std::string& s, size_t from);
i64 ParseProcess();
i64 ParseStatement();
void ParseIfStm();
void ParseWhileStm();
void ParseForStm();
void ParseCaseStm();
// A statement that goes on to the next line when every count in the list
// `counts` (the text of an expression) is 1, else fails with a length error:
// a branch on 1 and 0 over two labels, the 1 repeated when a count is not 1.
std::string SingleCheck(const std::string& counts, i64 label);
i64 ParseCasFirst(const char* s, bool* nameform);
