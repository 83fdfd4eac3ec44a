// The start-up banner: the version line and the system-information line.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>

#include "system/system.h"

#if defined(__APPLE__)
const char* const PLATFORM_LABEL = "<Mac OS>";
#else
const char* const PLATFORM_LABEL = "<Linux>";
#endif

void syshd() { std::printf("ZEM 0.3 %s\n", PLATFORM_LABEL); }

// Login name of the real user; the numeric id when the password database
// has no entry for it.
static void print_user() {
    uid_t uid = getuid();
    struct passwd* pw = getpwuid(uid);
    if (pw && pw->pw_name) std::printf("%s", pw->pw_name);
    else std::printf("%ju", static_cast<uintmax_t>(uid));
}

static long long memory_mb() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long page_size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0) return 0;
    return static_cast<long long>(pages) * page_size / (1024 * 1024);
}

// The address of the first interface that is up, is not loopback and has an
// IPv4 address: the stand-in for the reference platform's first interface.
void zemip() {
    struct ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return;
    for (struct ifaddrs* ifa = list; ifa; ifa = ifa->ifa_next) {
        if (!ifa->ifa_addr || ifa->ifa_addr->sa_family != AF_INET) continue;
        if (!(ifa->ifa_flags & IFF_UP) || (ifa->ifa_flags & IFF_LOOPBACK)) continue;
        char text[INET_ADDRSTRLEN];
        const struct sockaddr_in* in = reinterpret_cast<const struct sockaddr_in*>(ifa->ifa_addr);
        if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) {
            std::printf(" %s", text);
            break;
        }
    }
    freeifaddrs(list);
}

void zeminfo() {
    print_user();
    std::printf(" %ld cores %lldMB", sysconf(_SC_NPROCESSORS_ONLN), memory_mb());
    zemip();
    std::printf(" (2015.08.10)\n");
}
