// Count words of the workspace file: 4 bytes, little-endian on any host,
// read back sign-extended.
#pragma once
#include <cstdint>
#include <cstdio>

inline bool PutWord(FILE* fp, int64_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                          static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
    return std::fwrite(b, 1, 4, fp) == 4;
}

inline bool GetWord(FILE* fp, int64_t* v) {
    unsigned char b[4];
    if (std::fread(b, 1, 4, fp) != 4) return false;
    uint32_t u = b[0] | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
    *v = static_cast<int32_t>(u);
    return true;
}
