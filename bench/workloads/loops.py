"""An interpreted loop: a million iterations of a while loop in a defined
function, against the same loop in CPython."""
from benchlib import Workload

N = 1_000_000
SETUP = ["@.z<-loop n;i", "i<-0;z<-0", "while (i<n) {", "z<-z+i", "i<-i+1", "}", "@."]


def loop(n):
    i = z = 0
    while i < n:
        z = z + i
        i = i + 1
    return z


WORKLOADS = [
    Workload("while loop (1e6 iterations)", SETUP, "loop 1000000", "r", "CPython",
             lambda: N, loop, lambda r: [r], [N * (N - 1) // 2]),
]
