"""Start-up: from launch to exit of a session given no input, against
CPython's own start-up; its time and its resident size."""
from benchlib import Footprint, Startup


def zem_ended(out, rc):
    return rc == 0 and out.endswith("Bye.\n")


def python_ended(out, rc):
    return rc == 0


PYTHON = ["/usr/bin/python3", "-c", "pass"]

WORKLOADS = [
    Startup("start-up to exit", [], zem_ended, "CPython", PYTHON, python_ended),
    Footprint("start-up resident size", [], zem_ended, "CPython", PYTHON, python_ended),
]
