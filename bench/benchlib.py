"""The kinds of benchmark workload, shared by the driver and the workload
files."""
from dataclasses import dataclass
from typing import Any, Callable


class Prepared(list):
    """Zem set-up lines that first run prepare() (which makes the data files
    they read) when they are read, so that nothing is made for a workload
    that is not picked."""

    def __init__(self, prepare, lines):
        super().__init__(lines)
        self.prepare = prepare

    def __iter__(self):
        self.prepare()
        return super().__iter__()


@dataclass
class Workload:
    """One computation, in Zem and in a Python peer.

    zem_setup: Zem input lines run before the trials (data, functions).
    zem: the Zem expression timed; its value is assigned to r.
    zem_check: a Zem expression over r whose printed numbers are checked.
    peer: the peer's name; peer_setup() -> data handed to peer_run(data),
    whose result goes to peer_check(result) -> list of numbers.
    expect: the numbers both checks must give.
    repeat: runs per trial, for workloads too short for a millisecond clock.
    """
    name: str
    zem_setup: list
    zem: str
    zem_check: str
    peer: str
    peer_setup: Callable[[], Any]
    peer_run: Callable[[Any], Any]
    peer_check: Callable[[Any], list]
    expect: list
    repeat: int = 1


@dataclass
class Startup:
    """Start-up to exit of a process reading empty input, Zem against a peer
    command; each check(output, returncode) tells whether a run went right."""
    name: str
    zem_args: list
    zem_check: Callable[[str, int], bool]
    peer: str
    peer_command: list
    peer_check: Callable[[str, int], bool]


@dataclass
class Command:
    """A system command against a peer command working on the same files.

    Zem runs zem_setup once, then per trial zem_before (untimed) and the line
    zem_command, timed by the wall clock from sending the line to its output
    (a command may clear the workspace, so Zem cannot time itself);
    zem_check is a Zem expression over the workspace afterwards whose
    printed numbers must be expect. peer_command runs in the directory the
    Zem run worked in, after it."""
    name: str
    zem_setup: list
    zem_before: list
    zem_command: str
    zem_check: str
    peer: str
    peer_command: list
    expect: list


@dataclass
class Footprint:
    """Peak resident size of a whole process, Zem given input lines against a
    peer command; each check(output, returncode) tells whether a run went
    right. Reported in mebibytes."""
    name: str
    zem_lines: list
    zem_check: Callable[[str, int], bool]
    peer: str
    peer_command: list
    peer_check: Callable[[str, int], bool]


@dataclass
class Query:
    """A query in Zem against the same query in the sqlite3 shell.

    Zem as for a Workload: zem_setup, then zem timed with []TS, its value
    assigned to r and zem_check printed. sqlite3: one shell with an in-memory
    database runs the lines sql_setup() gives (untimed, the table loaded),
    then the query sql once per trial with its timer on; the best real time
    counts. Both checks must give the numbers expect() computes."""
    name: str
    zem_setup: list
    zem: str
    zem_check: str
    sql_setup: Callable[[], list]
    sql: str
    expect: Callable[[], list]
    peer: str = "sqlite3"
    repeat: int = 1
