// Safe replacement of a file: the new text goes to a temporary file in the
// same directory, which is flushed, checked, synced and renamed over the
// destination only when every write succeeded. A full disk or a failed
// write leaves the old file as it was and no temporary file behind.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "system/system.h"
#include "values/errors.h"

i64 SafeOpen(safe_file* sf, const char* path) {
    sf->fp = nullptr;
    int n = std::snprintf(sf->dest, sizeof sf->dest, "%s", path);
    if (n <= 0 || n >= static_cast<int>(sizeof sf->dest)) return E_PATH;
    std::snprintf(sf->temp, sizeof sf->temp, "%s.XXXXXX", path);
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
