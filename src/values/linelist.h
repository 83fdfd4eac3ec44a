// Line lists: singly linked lists of text lines that start with an empty
// head node. A node owns its text buffer and reuses it for a text that fits.
#pragma once
#include "values/values.h"

struct zem_line {
    char* text;  // own zero-terminated buffer, nullptr until a text is stored
    i64 len;     // text length the buffer was made for (len + 1 bytes); -1 none
    i64 tag;     // the owner's number for the line (source line number)
    zem_line* next;
};

zem_line* eLine_New();
void eLine_Init(zem_line* line);
char* eLine_copy0(zem_line* line, const char* text);
void eLine_free(zem_line* line);
void eLine_Inits(zem_line* line, const char* text);
char* eLine_copy1(zem_line* line, const char* text, i64 n);
char* eLine_adde(zem_line* line, const char* text);
// A new node holding text and tag, linked in right after at; returns it.
zem_line* eLine_push(zem_line* at, const char* text, i64 tag);
