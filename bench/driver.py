#!/usr/bin/env python3
"""Runs the benchmark workloads in Zem and in their peers and prints a table.

Workloads live in bench/workloads/*.py, one file per group; each file holds a
list WORKLOADS of Workload or Startup entries (bench/benchlib.py). Every workload is
timed best of 5 on both sides, in the same run, and both sides' results are
checked against values computed here in plain Python.

Zem times itself with []TS (milliseconds): a trial is one input line that
reads the clock, runs the workload `repeat` times and prints the elapsed
time. Each workload runs in a fresh Zem process. A system command is timed
from outside: from sending its line to reading the line printed after it.

Start-up workloads time a whole process from outside (wall time), and
footprint workloads read the peak resident size the kernel reports for it;
those lines are in mebibytes instead of milliseconds.
"""
import importlib.util
import math
import os
import select
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from benchlib import Command, Footprint, Query, Startup  # noqa: E402

TRIALS = 5


def same_numbers(got, want):
    return len(got) == len(want) and all(
        math.isclose(g, w, rel_tol=1e-9, abs_tol=1e-9) for g, w in zip(got, want))


def numbers(text):
    """The numbers of a line of Zem output (_ is its minus sign)."""
    return [float(t.replace("_", "-")) for t in text.split()]


def run_zem(zem, w):
    """Zem's best time per run in ms and its check numbers (or an error text)."""
    body = ";".join(["r<-" + w.zem] * w.repeat)
    lines = list(w.zem_setup)
    for _ in range(TRIALS):
        lines.append(f"t<-[]TS;{body};d<-[]TS-t;'=T ',+.d%{w.repeat}")
    lines.append(f"'=C ',+.{w.zem_check}")
    out = subprocess.run([zem], input="".join(l + "\n" for l in lines), text=True,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600).stdout
    if "Error" in out:
        return None, out[out.find("Error"):][:300]
    times, check = [], None
    # A marker can follow prompts written without a line end.
    for line in out.split("\n"):
        if "=T " in line:
            times.append(float(line.split("=T ")[1]))
        elif "=C " in line:
            check = numbers(line.split("=C ")[1])
    if len(times) != TRIALS or check is None:
        return None, out[-300:]
    return min(times), check


class Session:
    """A Zem process fed line by line; its output read up to markers."""

    def __init__(self, zem, cwd):
        self.p = subprocess.Popen([zem], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, cwd=cwd)
        self.pending = b""

    def send(self, lines):
        self.p.stdin.write("".join(l + "\n" for l in lines).encode())
        self.p.stdin.flush()

    def upto_mark(self, timeout=600):
        """Sends a marker line; returns the output before the marker."""
        self.send(["'=M'"])
        deadline = time.monotonic() + timeout
        while b"=M\n" not in self.pending:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.p.stdout], [], [], left)[0]:
                raise TimeoutError("no marker")
            chunk = os.read(self.p.stdout.fileno(), 1 << 16)
            if not chunk:
                raise EOFError("Zem ended")
            self.pending += chunk
        text, _, self.pending = self.pending.partition(b"=M\n")
        return text.decode("latin-1")

    def finish(self):
        self.p.stdin.close()
        rest = self.pending + self.p.stdout.read()
        self.p.wait(timeout=60)
        return rest.decode("latin-1")


def run_zem_command(zem, w, cwd):
    """Zem's best wall time of a command in ms and its check numbers (or an
    error text)."""
    s = Session(zem, cwd)
    out, times = "", []
    try:
        s.send(w.zem_setup)
        out += s.upto_mark()
        for _ in range(TRIALS):
            s.send(w.zem_before)
            out += s.upto_mark()
            start = time.perf_counter()
            s.send([w.zem_command])
            out += s.upto_mark()
            times.append((time.perf_counter() - start) * 1000)
        s.send([f"'=C ',+.{w.zem_check}"])
        out += s.finish()
    except (TimeoutError, EOFError) as e:
        s.p.kill()
        return None, f"{e}: {out[-300:]}"
    if "Error" in out:
        return None, out[out.find("Error"):][:300]
    checks = [line.split("=C ")[1] for line in out.split("\n") if "=C " in line]
    return (min(times), numbers(checks[0])) if checks else (None, out[-300:])


def run_peer(w):
    data = w.peer_setup()
    best = math.inf
    result = None
    for _ in range(TRIALS):
        start = time.perf_counter()
        for _ in range(w.repeat):
            result = w.peer_run(data)
        best = min(best, (time.perf_counter() - start) * 1000 / w.repeat)
    return best, w.peer_check(result)


def run_sqlite(w):
    """The sqlite3 shell's best query time in ms (its own timer, loading not
    counted) and the numbers of its last answer (or None and an error text)."""
    script = w.sql_setup() + [".timer on"] + [w.sql] * TRIALS
    out = subprocess.run(["sqlite3", ":memory:"], input="".join(l + "\n" for l in script),
                         text=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         timeout=600).stdout
    lines = out.splitlines()
    times = [float(l.split()[3]) * 1000 for l in lines if l.startswith("Run Time: real")]
    answers = [l for l in lines if l and not l.startswith("Run Time:")]
    if len(times) != TRIALS or not answers:
        return None, out[-300:]
    return min(times), numbers(answers[-1].replace("|", " "))


def time_command(command, check, text="", cwd=None):
    """Best wall time in ms of a command; None if a run fails."""
    best = math.inf
    for _ in range(TRIALS):
        start = time.perf_counter()
        p = subprocess.run(command, input=text, text=True, stdout=subprocess.PIPE, cwd=cwd,
                           stderr=subprocess.STDOUT, timeout=60)
        best = min(best, (time.perf_counter() - start) * 1000)
        if not check(p.stdout, p.returncode):
            return None
    return best


def peak_command(command, check, text=""):
    """Smallest peak resident size in MiB of a command over the trials; None
    if a run fails. GNU time starts the command and reports its peak: a
    process started by this driver directly would inherit the driver's own
    peak, which the kernel keeps across exec."""
    best = math.inf
    for _ in range(TRIALS):
        with tempfile.NamedTemporaryFile(mode="r") as report:
            p = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + command,
                               input=text, text=True, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, timeout=600)
            best = min(best, int(report.read().split()[-1]) / 1024)
        if not check(p.stdout, p.returncode):
            return None
    return best


def measure_command(zem, w):
    """(Zem ms, peer ms, problem or None) for a system command, run in a
    directory of its own."""
    with tempfile.TemporaryDirectory(prefix="zem-bench-") as d:
        z, zcheck = run_zem_command(zem, w, d)
        if z is None:
            return None, None, f"Zem failed: {zcheck!r}"
        p = time_command(w.peer_command, lambda out, rc: rc == 0, cwd=d)
    if p is None:
        return z, p, f"{w.peer} failed"
    if not same_numbers(zcheck, w.expect):
        return z, p, f"Zem computed {zcheck}, expected {w.expect}"
    return z, p, None


def measure(zem, w):
    """(Zem ms, peer ms, problem or None) for one workload."""
    if isinstance(w, Command):
        return measure_command(zem, w)
    if isinstance(w, Footprint):
        z = peak_command([zem], w.zem_check, "".join(line + "\n" for line in w.zem_lines))
        p = peak_command(w.peer_command, w.peer_check)
        problem = None if z is not None and p is not None else "a run failed"
        return z, p, problem
    if isinstance(w, Startup):
        z = time_command([zem] + w.zem_args, w.zem_check)
        p = time_command(w.peer_command, w.peer_check)
        problem = None if z is not None and p is not None else "a run failed"
        return z, p, problem
    z, zcheck = run_zem(zem, w)
    if z is None:
        return None, None, f"Zem failed: {zcheck!r}"
    if isinstance(w, Query):
        p, pcheck = run_sqlite(w)
        if p is None:
            return z, None, f"sqlite3 failed: {pcheck!r}"
        expect = w.expect()
    else:
        p, pcheck = run_peer(w)
        expect = w.expect
    if not same_numbers(zcheck, expect):
        return z, p, f"Zem computed {zcheck}, expected {expect}"
    if not same_numbers(pcheck, expect):
        return z, p, f"{w.peer} computed {pcheck}, expected {expect}"
    return z, p, None


def load_workloads():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "workloads")
    found = []
    for name in sorted(os.listdir(here)):
        if not name.endswith(".py"):
            continue
        source = importlib.util.spec_from_file_location(name[:-3], os.path.join(here, name))
        module = importlib.util.module_from_spec(source)
        source.loader.exec_module(module)
        found.extend(module.WORKLOADS)
    return found


def main():
    zem = os.path.abspath(sys.argv[1])
    picks = sys.argv[2:]
    workloads = [w for w in load_workloads() if not picks or any(p in w.name for p in picks)]
    width = max([len(w.name) for w in workloads] + [8])
    print(f"{'workload':<{width}}  {'Zem':>10}  {'peer':>10}  unit  {'peer':<8}  {'ratio':>7}")
    failed = 0
    for w in workloads:
        z, p, problem = measure(zem, w)
        if problem:
            failed += 1
            print(f"{w.name:<{width}}  FAILED: {problem}")
            continue
        unit = "MiB" if isinstance(w, Footprint) else "ms"
        print(f"{w.name:<{width}}  {z:10.2f}  {p:10.2f}  {unit:<4}  {w.peer:<8}  {z / p:7.2f}",
              flush=True)
    print(f"best of {TRIALS}; ratio = Zem / peer")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
