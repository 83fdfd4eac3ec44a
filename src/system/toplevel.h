// Start-up shared by every mode, and the top-level loop with its line
// dispatch: ")" commands, "@." and "{" lines of defined functions, "->",
// and statements for the line driver.
#pragma once
#include "eval/eval.h"

extern bool BATMD;  // a script named on the command line runs
extern char parseString[LINE_SIZE];
extern i64 buffsize;
extern char* buffline;

void ZemInitMain();
void ProcessMain();
void ProcessMainSub(char* line);
// Handles what a line source gave (got as ReadInputLine returns it, not 0):
// runs the line, or reports a line too long to run.
void ProcessReadLine(int got, char* line);
void Head();
void Prompt();
