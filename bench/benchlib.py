"""The two kinds of benchmark workload, shared by the driver and the
workload files."""


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

    def __init__(self, name, zem_setup, zem, zem_check, peer, peer_setup, peer_run,
                 peer_check, expect, repeat=1):
        self.name = name
        self.zem_setup = zem_setup
        self.zem = zem
        self.zem_check = zem_check
        self.peer = peer
        self.peer_setup = peer_setup
        self.peer_run = peer_run
        self.peer_check = peer_check
        self.expect = expect
        self.repeat = repeat


class Startup:
    """Start-up to exit of a process reading empty input, Zem against a peer
    command; check(output, returncode) tells whether a run went right."""

    def __init__(self, name, zem_args, zem_check, peer, peer_command, peer_check):
        self.name = name
        self.zem_args = zem_args
        self.zem_check = zem_check
        self.peer = peer
        self.peer_command = peer_command
        self.peer_check = peer_check
