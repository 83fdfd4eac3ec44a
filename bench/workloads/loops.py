"""Interpreted code that works one number at a time: loops and calls of
defined functions, against the same code in CPython."""
from benchlib import Workload

N = 1_000_000
FIB = 22
SETUP = ["@.z<-loop n;i", "i<-0;z<-0", "while (i<n) {", "z<-z+i", "i<-i+1", "}", "@."]
SETUP_SEMI = ["@.z<-loops n;i", "i<-0;z<-0", "while (i<n) {", "z<-z+i;i<-i+1", "}", "@."]
SETUP_FOR = ["@.s<-forloop n;i", "s<-0", "for (i:0;n-1) s<-s+i", "@."]
SETUP_FIB = ["@.z<-fib n", "z<-n", "if (n>1) {", "z<-(fib n-1)+fib n-2", "}", "@."]
# A million one-item pieces: each calls the function once per piece.
SETUP_SQ = ["@.z<-sq x", "z<-x*x", "@.", "pieces<-1||!1000000"]


def loop(n):
    i = z = 0
    while i < n:
        z = z + i
        i = i + 1
    return z


def loop_semi(n):
    i = z = 0
    while i < n:
        z = z + i; i = i + 1  # noqa: E702
    return z


def for_loop(n):
    s = 0
    for i in range(n):
        s = s + i
    return s


def fib(n):
    z = n
    if n > 1:
        z = fib(n - 1) + fib(n - 2)
    return z


def squares(n):
    return list(map(lambda x: x * x, range(1, n + 1)))


WORKLOADS = [
    Workload("while loop (1e6 iterations)", SETUP, "loop 1000000", "r", "CPython",
             lambda: N, loop, lambda r: [r], [N * (N - 1) // 2]),
    Workload("while loop, two statements a line (1e6)", SETUP_SEMI, "loops 1000000", "r",
             "CPython", lambda: N, loop_semi, lambda r: [r], [N * (N - 1) // 2]),
    Workload("for loop (1e6 iterations)", SETUP_FOR, "forloop 1000000", "r", "CPython",
             lambda: N, for_loop, lambda r: [r], [N * (N - 1) // 2]),
    Workload("recursive fib 22", SETUP_FIB, "fib 22", "r", "CPython",
             lambda: FIB, fib, lambda r: [r], [17711], repeat=10),
    Workload("each of a one-line function (1e6)", SETUP_SQ, "sq\" pieces", "+/,.r", "CPython",
             lambda: N, squares, lambda r: [sum(r)], [N * (N + 1) * (2 * N + 1) // 6]),
]
