// Safe replacement of a file: the new text goes to a temporary file in the
// same directory, which is flushed, checked, synced and renamed over the
// destination only when every write succeeded. A full disk or a failed
// write leaves the old file as it was and no temporary file behind.
// Reading takes plain files only: a pipe would wait for ever, a device such
// as /dev/zero would never end.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "system/system.h"
#include "values/errors.h"

namespace {

// The file a save replaces: through a symbolic link, the file it names (the
// link stays); -1 when something other than a file is in the way (a device,
// a pipe, a directory), which a rename would remove.
int Destination(char* dest, size_t size, const char* path) {
    struct stat st;
    char* target = nullptr;
    if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) target = realpath(path, nullptr);
    int n = std::snprintf(dest, size, "%s", target ? target : path);
    std::free(target);
    if (n <= 0 || n >= static_cast<int>(size)) return -1;
    if (stat(dest, &st) == 0 && !S_ISREG(st.st_mode)) return -1;
    return 0;
}

}  // namespace

i64 SafeOpen(safe_file* sf, const char* path) {
    sf->fp = nullptr;
    if (Destination(sf->dest, sizeof sf->dest, path)) return E_PATH;
    std::snprintf(sf->temp, sizeof sf->temp, "%s.XXXXXX", sf->dest);
    int fd = mkstemp(sf->temp);
    if (fd < 0) return E_PATH;
    // The mode a newly created file would get.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    sf->fp = fdopen(fd, "wb");
    if (sf->fp) return 0;
    close(fd);
    unlink(sf->temp);
    return E_PATH;
}

void SafeDiscard(safe_file* sf) {
    std::fclose(sf->fp);
    sf->fp = nullptr;
    unlink(sf->temp);
}

i64 SafeClose(safe_file* sf) {
    bool ok = std::fflush(sf->fp) == 0 && !std::ferror(sf->fp) && fsync(fileno(sf->fp)) == 0;
    ok = std::fclose(sf->fp) == 0 && ok;
    sf->fp = nullptr;
    if (ok && std::rename(sf->temp, sf->dest) == 0) return 0;
    unlink(sf->temp);
    return E_FILE_WRITE;
}

FILE* OpenRegular(const char* path) {
    int fd;
    do fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    struct stat st;
    FILE* fp = nullptr;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
        fp = fdopen(fd, "rb");
    if (!fp) close(fd);
    return fp;
}
