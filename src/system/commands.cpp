// The ")" system commands. Only )OFF is served so far; every other word is
// answered as an incorrect command.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "system/system.h"

i64 Command(char* text) {
    char word[32];
    int n = 0;
    while (std::isalnum(static_cast<unsigned char>(text[n])) && n < 31) {
        word[n] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[n])));
        n++;
    }
    word[n] = 0;
    if (std::strcmp(word, "OFF") == 0) {
        std::fflush(stdout);
        std::exit(0);
    }
    errmsg(E_COMMAND);
    return 0;
}

void CloseAllFiles() {}
