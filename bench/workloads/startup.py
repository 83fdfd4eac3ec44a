"""Start-up: from launch to exit of a session given no input, against
CPython's own start-up."""
from benchlib import Startup

WORKLOADS = [
    Startup("start-up to exit", [], lambda out, rc: rc == 0 and out.endswith("Bye.\n"),
            "CPython", ["/usr/bin/python3", "-c", "pass"], lambda out, rc: rc == 0),
]
