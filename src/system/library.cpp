// The library directory and file names: )LIB, )DIR and )PWD, the path a
// file command's argument names, a file's time stamp, and the base name and
// extension of a path.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "parser/parser.h"
#include "system/handlers.h"
#include "system/system.h"

char CURDIR[PATH_SIZE] = "";

namespace {

constexpr i64 LIB_GAP = 3;
constexpr size_t BASE_SIZE = 100;
constexpr size_t EXT_SIZE = 10;

bool EndsWith(const char* s, const char* tail) {
    size_t n = std::strlen(s), k = std::strlen(tail);
    return n >= k && std::strcmp(s + n - k, tail) == 0;
}

// Listed files: at least five characters, a script or a text file.
bool Listed(const char* name, const char* prefix) {
    if (std::strlen(name) < 5 || !(EndsWith(name, ".zsf") || EndsWith(name, ".txt"))) return false;
    i64 n = static_cast<i64>(std::strlen(prefix));
    return n == 0 ||
           (static_cast<i64>(std::strlen(name)) >= n && compare_insensitive(name, prefix, n) == 0);
}

bool LessInsensitive(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) <
               std::toupper(static_cast<unsigned char>(y));
    });
}

}  // namespace

i64 compare_insensitive(const char* a, const char* b, i64 n) {
    for (i64 i = 0; i < n; i++)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return 1;
    return 0;
}

i64 LibGet(const char* dir, const char* prefix, zem_line* list) {
    DIR* d = opendir(dir);
    if (!d) return errchk = E_DOMAIN;
    std::vector<std::string> names;
    while (const dirent* e = readdir(d))
        if (Listed(e->d_name, prefix)) names.push_back(e->d_name);
    closedir(d);
    // Sorted without regard to case, so that a listing does not depend on
    // the order the directory yields its entries in.
    std::sort(names.begin(), names.end(), LessInsensitive);
    zem_line* at = list;
    while (at->next) at = at->next;
    for (const std::string& n : names) {
        at->next = eLine_New();
        at = at->next;
        eLine_copy0(at, n.c_str());
    }
    return 0;
}

i64 RpLib(char* arg) {
    zem_line* list = eLine_New();
    if (LibGet(CURDIR, arg, list)) std::printf("error in )lib\n");
    else BeautifulList(list, LIB_GAP, true);
    eLine_free(list);
    return 0;
}

i64 CmdDir(char* arg) {
    if (!*arg) {
        std::printf("%s\n", CURDIR);
        return 0;
    }
    DIR* d = std::strlen(arg) < PATH_SIZE ? opendir(arg) : nullptr;
    if (!d) {
        std::printf("incorrect path, please check the it.\n");
        return errchk = E_QUIET;
    }
    closedir(d);
    std::printf("Old path: %s\n", CURDIR);
    std::snprintf(CURDIR, sizeof CURDIR, "%s", arg);
    return 0;
}

i64 epwd(char*) {
    std::string cwd(PATH_SIZE, 0);
    while (!getcwd(cwd.data(), cwd.size())) {
        if (errno != ERANGE) {
            cwd.clear();
            break;
        }
        cwd.resize(cwd.size() * 2);
    }
    std::printf("%s\n", cwd.c_str());
    return 0;
}

i64 GetZemPath(const char* arg, char* out, const char* ext, bool) {
    std::string text(arg);
    char* p = text.data();
    CleanB(&p);
    size_t n = std::strlen(p);
    if (n == 0) return E_PATH;
    if (p[0] == '\'') {
        if (n < 2 || p[n - 1] != '\'' || p[n - 2] == '\'' || n - 2 >= PATH_SIZE) return E_PATH;
        std::memcpy(out, p + 1, n - 2);
        out[n - 2] = 0;
        return 0;
    }
    std::string name(p, std::strcspn(p, " "));
    if (!std::strchr(p, '.')) name = name + "." + ext;
    return InLibrary(name.c_str(), out);
}

i64 InLibrary(const char* name, char* out) {
    int len = std::snprintf(out, PATH_SIZE, "%s/%s", CURDIR, name);
    return len < 0 || len >= PATH_SIZE ? E_PATH : E_OK;
}

i64 ResolvePath(const char* name, char* out) {
    if (!std::strchr(name, '/')) return InLibrary(name, out);
    size_t n = std::strlen(name);
    if (n >= PATH_SIZE) return E_PATH;
    std::memcpy(out, name, n + 1);
    return E_OK;
}

void FileInfo(const char* file) {
    struct stat st;
    if (stat(file, &st) != 0) return;
    struct tm local, utc;
    localtime_r(&st.st_mtime, &local);
    gmtime_r(&st.st_mtime, &utc);
    int zone = local.tm_hour - utc.tm_hour;
    if (zone > 12) zone -= 24;
    if (zone < -12) zone += 24;
    std::printf("%d.%02d.%02d %02d:%02d:%02d (gmt%d)", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, zone);
}

// The last component of a path: what follows its last "/" or "\\".
static const char* last_component(const char* file) {
    const char* start = file;
    for (const char* p = file; *p; p++)
        if (*p == '/' || *p == '\\') start = p + 1;
    return start;
}

const char* PathExtension(const char* file) {
    const char* dot = std::strrchr(last_component(file), '.');
    return dot ? dot + 1 : nullptr;
}

void GetPathNames(const char* file, char* base, char* ext) {
    const char* last = last_component(file);
    const char* dot = std::strrchr(last, '.');
    size_t after = dot ? std::strlen(dot + 1) : 0;
    std::snprintf(ext, EXT_SIZE, "%s", dot && after < EXT_SIZE ? dot + 1 : "");
    const char* end = dot ? dot : last + std::strlen(last);
    const char* start = last;
    size_t n = static_cast<size_t>(end - start);
    if (n < 1 || n >= BASE_SIZE) n = 0;
    std::memcpy(base, start, n);
    base[n] = 0;
}
