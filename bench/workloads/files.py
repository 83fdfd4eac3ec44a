"""CSV import of a million rows (integer k from 0 to 999, float f with six
decimals, symbol s of ten values, date d as m/d/yy; uniform, fixed seed)
against sqlite3's .import of the same file into a typed table; and []write of
that table as CSV, XML and JSON against sqlite3's CSV export of it. Each also
at a tenth of the size: ten times the rows should take about ten times as
long. The data files are made on first use, in a directory removed at exit."""
import atexit
import os
import random
import shutil
import subprocess
import tempfile

from benchlib import Prepared, Workload

ROOT = tempfile.mkdtemp(prefix="zem-bench-files-")
atexit.register(shutil.rmtree, ROOT, True)
SCHEMA = "CREATE TABLE t(k INTEGER, f REAL, s TEXT, d TEXT);"


def folder(n):
    return os.path.join(ROOT, str(n))


def source(n):
    return os.path.join(folder(n), "in.csv")


def make_source(n):
    """Writes the n rows once; later calls find them."""
    if os.path.exists(source(n)):
        return
    os.makedirs(folder(n), exist_ok=True)
    r = random.Random(2020)
    symbols = [f"sym{i}" for i in range(10)]
    with open(source(n), "w") as f:
        f.write("k,f,s,d\n")
        for _ in range(n):
            f.write(f"{r.randint(0, 999)},{r.uniform(-1000, 1000):.6f},{r.choice(symbols)},"
                    f"{r.randint(1, 12)}/{r.randint(1, 28)}/{r.randint(0, 99):02d}\n")


def Lines(n, lines):
    """Zem set-up lines that make the data file when they are read."""
    return Prepared(lambda: make_source(n), lines)


def sqlite(*args):
    return subprocess.run(["sqlite3", *args], check=True, stdout=subprocess.PIPE, text=True).stdout


def import_peer(n):
    return dict(
        peer="sqlite3", peer_setup=lambda: make_source(n),
        peer_run=lambda _: sqlite(":memory:", SCHEMA, f".import --csv --skip 1 {source(n)} t",
                                  "SELECT count(*) FROM t;"),
        peer_check=lambda out: [float(out)])


def export_peer(n):
    db = os.path.join(folder(n), "t.db")
    out = os.path.join(folder(n), "export.csv")

    def setup():
        make_source(n)
        if not os.path.exists(db):
            sqlite(db, SCHEMA, f".import --csv --skip 1 {source(n)} t")

    def rows(_):
        with open(out) as f:
            return [float(sum(1 for _ in f) - 1)]

    return dict(peer="sqlite3", peer_setup=setup,
                peer_run=lambda _: sqlite(db, ".headers on", ".mode csv", f".output {out}",
                                          "SELECT * FROM t;"),
                peer_check=rows)


def files(n, label):
    # The file's base name names the variable written (t is the driver's clock).
    read = f"tbl<-[]CSV ('{source(n)}';'IESD')"
    target = lambda ext: os.path.join(folder(n), "tbl." + ext)  # noqa: E731
    work = [Workload(f"[]CSV {label} rows IESD", Lines(n, []), f"[]CSV ('{source(n)}';'IESD')",
                     "#r[;`k]", expect=[n], **import_peer(n))]
    # The CSV file is checked by its lines; the XML and JSON files (of
    # more text than the workspace holds as a list of lines) only by the rows
    # of the table written, their layouts being checked by the tests.
    checks = {"csv": f"_1+#[]get '{target('csv')}'", "xml": "#tbl[;`k]",
              "json": "#tbl[;`k]"}
    for ext, check in checks.items():
        work.append(Workload(f"[]write {ext} {label} rows", Lines(n, [read]),
                             f"[]write '{target(ext)}'", check, expect=[n], **export_peer(n)))
    return work


WORKLOADS = files(1_000_000, "1e6") + files(100_000, "1e5")
