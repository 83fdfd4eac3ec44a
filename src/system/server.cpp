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

#include "eval/eval.h"
#include "system/system.h"

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

// Reads n bytes and drops them.
static bool skip_bytes(int fd, i64 n) {
    char sink[4096];
    while (n > 0) {
        i64 k = n < static_cast<i64>(sizeof sink) ? n : static_cast<i64>(sizeof sink);
        if (!recv_all(fd, sink, k)) return false;
        n -= k;
    }
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
    if (length >= cap) return skip_bytes(connfd, length) ? -1 : 0;
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

static void fail(const char* format, int listener) {
    std::printf(format, std::strerror(errno), errno);
    if (listener >= 0) close(listener);
    std::exit(0);
}

void SocketMain(int port) {
    std::signal(SIGPIPE, SIG_IGN);
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0) fail("create socket errpr: %s (errno: %d)\n", -1);
    int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    struct sockaddr_in addr;
    std::memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(listener, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) < 0)
        fail("bind socket error: %s(errno: %d)\n", listener);
    if (listen(listener, 10) < 0) fail("listen socket error: %s(errno: %d)\n", listener);
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
}
