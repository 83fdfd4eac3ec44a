"""Peak memory of a process holding a vector of a hundred million integers
(763 MiB of data), against NumPy holding the same."""
from benchlib import Footprint

N = 100_000_000
ZEM = [f"x<-!{N}", f"(^x),x[{N}]"]
NUMPY = ["/usr/bin/python3", "-c",
         f"import numpy as np; x = np.arange(1, {N} + 1); print(len(x), x[-1])"]

WORKLOADS = [
    Footprint("peak memory, x<-!1e8 (763 MiB data)", ZEM,
              lambda out, rc: rc == 0 and f"{N} {N}" in out, "NumPy", NUMPY,
              lambda out, rc: rc == 0 and out.split() == [str(N), str(N)]),
]
