// Server mode: one TCP client takes the place of the terminal. Each message
// is a 4-byte big-endian length and that many bytes of input text; every byte
// the interpreter prints goes back on the same connection.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "eval/eval.h"
#include "system/system.h"
#include "system/toplevel.h"

static int connfd = -1;
static bool ended = false;  // the connection has ended or is being closed
// Longest message read: a longer length is not one a client sends (garbage),
// and the connection is closed rather than read on.
constexpr i64 MESSAGE_MAX = 1 << 20;

i64 ConvInt(const unsigned char* bytes, int n) {
    i64 value = 0;
    for (int i = 0; i < n; i++) value = (value << 8) | bytes[i];
    return value;
}

// Reads exactly n bytes, looping over partial receives. False when the
// connection ends or fails first.
static bool recv_all(int fd, void* buffer, i64 n) {
    char* at = static_cast<char*>(buffer);
    while (n > 0) {
        ssize_t got = recv(fd, at, static_cast<size_t>(n), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        at += got;
        n -= got;
    }
    return true;
}

// Reads n bytes and echoes them as a line read is echoed, zero bytes as
// blanks, without keeping them: the echo of a line too long to run.
static bool echo_bytes(int fd, i64 n) {
    char chunk[4096];
    while (n > 0) {
        i64 k = n < static_cast<i64>(sizeof chunk) ? n : static_cast<i64>(sizeof chunk);
        if (!recv_all(fd, chunk, k)) return false;
        BlankZeros(chunk, k);
        std::fwrite(chunk, 1, static_cast<size_t>(k), stdout);
        n -= k;
    }
    std::fflush(stdout);
    return true;
}

i64 RecvString(char* buffer, i64 cap) {
    unsigned char head[4];
    if (!recv_all(connfd, head, 4)) return 0;
    i64 length = ConvInt(head, 4);
    if (length > MESSAGE_MAX) {
        std::printf("message of %lld bytes refused: longer than %lld bytes\n",
                    static_cast<long long>(length), static_cast<long long>(MESSAGE_MAX));
        std::fflush(stdout);
        return -2;
    }
    if (length >= cap) return echo_bytes(connfd, length) ? -1 : 0;
    if (!recv_all(connfd, buffer, length)) return 0;
    buffer[length] = 0;
    BlankZeros(buffer, length);
    return length;
}

// Source of input lines while serving: the client's next message, echoed.
static int next_socket_line(char* buffer, i64 cap) {
    if (ended) return 0;
    i64 n = RecvString(buffer, cap);
    if (n == -1) return -1;
    if (n <= 0) {
        ended = true;
        return 0;
    }
    std::printf("%s", buffer);
    std::fflush(stdout);
    return 1;
}

void CheckClientOutput() {
    if (connfd < 0 || !std::ferror(stdout)) return;
    // The client has gone: nothing more reaches it, so the running statement
    // is abandoned and the server ends as it does when the client closes.
    close(connfd);
    std::exit(0);
}

// Ends the connection without losing what was sent: the client may still be
// sending (a refused message), and closing with unread input would reset the
// connection and drop the replies still in flight.
static void close_gracefully(int fd) {
    shutdown(fd, SHUT_WR);
    struct timeval wait = {1, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char sink[4096];
    while (recv(fd, sink, sizeof sink, 0) > 0) {}
    close(fd);
}

// Socket set-up failure: its message, and the process ends with status 1.
static void fail(const char* format, int listener) {
    int code = errno;
    std::fprintf(stderr, format, std::strerror(code), code);
    if (listener >= 0) close(listener);
    std::exit(1);
}

// Reads a port from 1 to 65535 written in decimal digits alone; 0 when it is not one.
static int read_port(const char* text) {
    int port = 0;
    for (const char* c = text; *c; c++) {
        if (*c < '0' || *c > '9') return 0;
        port = port * 10 + (*c - '0');
        if (port > 65535) return 0;
    }
    return port;
}

const char* ReadListenAddress(const char* text, listen_address* at) {
    constexpr const char* BAD_PORT = "the port must be a number from 1 to 65535";
    constexpr const char* BAD_ADDRESS = "not an IPv4 or IPv6 address";
    const char* colon = std::strrchr(text, ':');
    std::string address = colon ? std::string(text, colon) : "127.0.0.1";
    at->port = read_port(colon ? colon + 1 : text);
    if (!at->port) return BAD_PORT;
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
        address = address.substr(1, address.size() - 2);
    at->ipv6 = address.find(':') != std::string::npos;
    if (inet_pton(at->ipv6 ? AF_INET6 : AF_INET, address.c_str(), at->bytes) != 1)
        return BAD_ADDRESS;
    return nullptr;
}

// A multicast or broadcast address: a socket may bind there, but no client
// can ever connect to it. An IPv6 address that maps an IPv4 one is read as
// the IPv4 address.
static bool takes_no_connections(const listen_address& at) {
    const unsigned char* b = at.bytes;
    if (at.ipv6) {
        static const unsigned char mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
        if (std::memcmp(b, mapped, sizeof mapped) != 0) return b[0] == 0xff;
        b += sizeof mapped;
    }
    bool multicast = b[0] >= 224 && b[0] <= 239;
    bool broadcast = b[0] == 255 && b[1] == 255 && b[2] == 255 && b[3] == 255;
    return multicast || broadcast;
}

// Opens the listening socket at the address, or ends the process.
static int listen_at(const listen_address& at) {
    if (takes_no_connections(at)) {
        std::fprintf(stderr, "bind socket error: a multicast or broadcast address takes no "
                             "connections\n");
        std::exit(1);
    }
    struct sockaddr_storage addr;
    std::memset(&addr, 0, sizeof addr);
    socklen_t size;
    if (at.ipv6) {
        auto* a6 = reinterpret_cast<struct sockaddr_in6*>(&addr);
        a6->sin6_family = AF_INET6;
        std::memcpy(&a6->sin6_addr, at.bytes, sizeof a6->sin6_addr);
        a6->sin6_port = htons(static_cast<uint16_t>(at.port));
        size = sizeof *a6;
    } else {
        auto* a4 = reinterpret_cast<struct sockaddr_in*>(&addr);
        a4->sin_family = AF_INET;
        std::memcpy(&a4->sin_addr, at.bytes, sizeof a4->sin_addr);
        a4->sin_port = htons(static_cast<uint16_t>(at.port));
        size = sizeof *a4;
    }
    int listener = socket(addr.ss_family, SOCK_STREAM, 0);
    if (listener < 0) fail("create socket errpr: %s (errno: %d)\n", -1);
    int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(listener, reinterpret_cast<struct sockaddr*>(&addr), size) < 0)
        fail("bind socket error: %s(errno: %d)\n", listener);
    if (listen(listener, 10) < 0) fail("listen socket error: %s(errno: %d)\n", listener);
    return listener;
}

int SocketMain(const listen_address& at) {
    std::signal(SIGPIPE, SIG_IGN);
    int listener = listen_at(at);
    std::printf("===========waiting for client's request===========\n");
    std::fflush(stdout);
    int accepted = accept(listener, nullptr, nullptr);
    if (accepted < 0) fail("accept socket error: %s(errno: %d)\n", listener);
    connfd = accepted;
    int result = dup2(accepted, 1);
    if (result < 0) {
        std::printf("error %d, %s\n", result, std::strerror(errno));
    } else {
        std::printf("c %d, s %d\n", accepted, 1);
        close(accepted);
        connfd = 1;
    }
    SetLineSource(next_socket_line);
    ZemInitMain();
    std::fflush(stdout);
    static char line[LINE_SIZE];
    for (;;) {
        int got = next_socket_line(line, LINE_SIZE);
        if (got == 0) break;
        ProcessReadLine(got, line);
        std::fflush(stdout);
        CheckClientOutput();
    }
    SetLineSource(nullptr);
    std::printf("connection closed\n");
    std::fflush(stdout);
    close_gracefully(connfd);
    close(listener);
    return 0;
}
