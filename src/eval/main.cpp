// Program entry: reads the command line and starts the one mode it names.
#include <getopt.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "eval/eval.h"
#include "system/system.h"
#include "system/toplevel.h"

namespace {

constexpr int STATUS_USAGE = 2;  // the command line was refused

// What the command line asks for; exactly one of these runs.
enum class mode { interactive, batch, server, version, test, help };

struct command_line {
    mode what = mode::interactive;
    const char* option = nullptr;  // the option that chose the mode, for messages
    const char* file = nullptr;    // batch: the script file
    listen_address at{};           // server: where to listen
};

const char* const USAGE =
    "Usage: zem                 interactive session\n"
    "       zem FILE            run the script file FILE (\".zsf\" added to a name\n"
    "                           without a \".\"); the status is 0 when every line\n"
    "                           ran cleanly, 1 when any failed or FILE cannot be read\n"
    "       zem -bt FILE        the same\n"
    "       zem -s PORT         serve one TCP client on PORT of the loopback address\n"
    "       zem -s ADDR:PORT    the same on the IPv4 or IPv6 address ADDR ([ADDR]:PORT\n"
    "                           for IPv6 too); 0.0.0.0 is every interface. Whoever\n"
    "                           reaches the port runs code as the user of the server.\n"
    "       zem -v              print the version\n"
    "       zem -x              print a test line\n"
    "       zem -h, --help      print this text\n";

// Clears the terminal with the ANSI sequence; nothing when output is not a
// terminal, so pipes and files get only the interpreter's own output.
void clear_screen() {
    if (isatty(STDOUT_FILENO)) std::fputs("\033[H\033[2J", stdout);
}

void print_version() {
    std::printf("Zem 0.3 %s\n", PLATFORM_LABEL);
    std::printf("An interpreter for an ASCII array language.\n");
    std::printf("Written by the Zem developers.\n");
    std::printf("Questions and reports: see the README of the source.\n");
}

// Refuses the command line: one line of what is wrong (a printf format and
// two texts), then the usage, on stderr.
[[noreturn]] void refuse(const char* format, const char* a, const char* b = "") {
    std::fputs("zem: ", stderr);
    std::fprintf(stderr, format, a, b);
    std::fputc('\n', stderr);
    std::fputs(USAGE, stderr);
    std::exit(STATUS_USAGE);
}

// Records the mode an option or the script file asks for; a second one is refused.
void choose(command_line* cl, mode what, const char* option) {
    if (cl->option) refuse("%s cannot be given with %s", option, cl->option);
    cl->what = what;
    cl->option = option;
}

// Takes the server's argument: a port, or an address and a port.
void choose_server(command_line* cl, const char* arg) {
    choose(cl, mode::server, "-s");
    const char* wrong = ReadListenAddress(arg, &cl->at);
    if (wrong) refuse("-s %s: %s", arg, wrong);
}

// Reads the whole command line, or refuses it before anything starts. The
// long-standing single-dash form "-bt" is read as "--bt".
command_line read_command_line(int argc, char** argv) {
    static const option LONG_OPTIONS[] = {
        {"help", no_argument, nullptr, 'h'},
        {"bt", required_argument, nullptr, 'b'},
        {nullptr, 0, nullptr, 0},
    };
    static char BT_LONG[] = "--bt";
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; i++)
        if (std::strcmp(argv[i], "-bt") == 0) argv[i] = BT_LONG;
    command_line cl;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, "+:hvxs:", LONG_OPTIONS, nullptr)) != -1;) {
        switch (c) {
            case 'h': choose(&cl, mode::help, "-h"); break;
            case 'v': choose(&cl, mode::version, "-v"); break;
            case 'x': choose(&cl, mode::test, "-x"); break;
            case 's': choose_server(&cl, optarg); break;
            case 'b':
                choose(&cl, mode::batch, "-bt");
                cl.file = optarg;
                break;
            case ':':
                refuse("%s", optopt == 's' ? "-s needs a port: -s PORT or -s ADDR:PORT"
                                           : "-bt needs a script file");
            default: {
                char shortopt[3] = {'-', static_cast<char>(optopt), 0};
                refuse("unknown option %s", optopt ? shortopt : argv[optind - 1]);
            }
        }
    }
    // A script file is the one argument when no option named a mode.
    if (optind < argc && !cl.option) {
        cl.what = mode::batch;
        cl.file = argv[optind++];
    }
    if (optind < argc) refuse("extra argument %s", argv[optind]);
    return cl;
}

}  // namespace

int main(int argc, char** argv) {
    BATMD = false;
    command_line cl = read_command_line(argc, argv);
    int status = 0;
    switch (cl.what) {
        case mode::interactive:
            clear_screen();
            ProcessMain();
            break;
        case mode::batch: status = ExecBatch(cl.file); break;
        case mode::server: status = SocketMain(cl.at); break;
        case mode::version: print_version(); break;
        case mode::test: std::printf("test program here.\n"); break;
        case mode::help: std::fputs(USAGE, stdout); break;
    }
    std::fflush(stdout);
    return status;
}
