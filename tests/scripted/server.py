#!/usr/bin/env python3
"""Server mode over a real socket on 127.0.0.1: framing, echo, reply, close."""
import socket
import struct
import subprocess
import sys
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def connect(port, deadline):
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=10)
        except OSError:
            if time.time() > deadline:
                raise
            time.sleep(0.05)


def read_until(conn, marker, deadline):
    data = b""
    while marker not in data:
        if time.time() > deadline:
            raise AssertionError(f"timed out waiting for {marker!r}, got {data!r}")
        chunk = conn.recv(65536)
        if not chunk:
            break
        data += chunk
    return data


def send(conn, text, split=False):
    payload = struct.pack(">I", len(text)) + text
    if split:  # deliver the frame in pieces to exercise partial receives
        step = max(1, len(payload) // 50)
        for i in range(0, len(payload), step):
            conn.sendall(payload[i:i + step])
            time.sleep(0.001)
    else:
        conn.sendall(payload)


def session(zem, steps):
    """Runs one server; steps is a list of (message bytes or None, check)."""
    port = free_port()
    proc = subprocess.Popen([zem, "-s", str(port)], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    deadline = time.time() + 20
    try:
        conn = connect(port, deadline)
        greeting = read_until(conn, b"CLEAR WS\n\n      ", deadline)
        assert greeting.startswith(b"c "), greeting
        results = []
        for message, marker in steps:
            if message is None:
                conn.shutdown(socket.SHUT_WR)
            else:
                send(conn, message, split=len(message) > 100)
            results.append(read_until(conn, marker, deadline))
        conn.close()
        proc.wait(timeout=10)
        return results, proc
    finally:
        if proc.poll() is None:
            proc.kill()


def main():
    zem = sys.argv[1]
    failures = 0
    passed = 0

    def check(name, condition, detail):
        nonlocal failures, passed
        if condition:
            passed += 1
        else:
            failures += 1
            print(f"FAIL {name}: {detail!r}")

    # An empty line is echoed and answered with the prompt; the end of the
    # connection ends the server normally.
    results, proc = session(zem, [(b"", b"connection closed\n")])
    check("zero length ends the server", results[0].endswith(b"connection closed\n"), results[0])
    check("server exit status", proc.returncode == 0, proc.returncode)

    # An expression is echoed, evaluated and answered with the prompt; a
    # system command runs like a typed one.
    results, proc = session(zem, [(b"1+2", b"1+23\n      "),
                                  (b"x<-5", b"x<-5      "),
                                  (b"x*2", b"x*210\n      "),
                                  (b")FOO", b")FOOError: incorrect command\n      "),
                                  (None, b"connection closed\n")])
    check("1+2 is echoed and answered", results[0] == b"1+23\n      ", results[0])
    check("assignment prints nothing", results[1] == b"x<-5      ", results[1])
    check("the workspace persists", results[2] == b"x*210\n      ", results[2])
    check("commands run", results[3] == b")FOOError: incorrect command\n      ", results[3])

    # The lines of a function definition come from the client's next
    # messages, not from a terminal the server does not have.
    results, proc = session(zem, [(b"@.z<-f y", b"[ 1]  "),
                                  (b"z<-y+1", b"[ 2]  "),
                                  (b"@.", b"      "),
                                  (b"f 2", b"3\n      "),
                                  (None, b"connection closed\n")])
    check("definition header echoed", results[0].endswith(b"[ 0]  z<-f y\n[ 1]  "), results[0])
    check("body line read from the client", results[1] == b"z<-y+1[ 2]  ", results[1])
    check("the defined function runs", results[3] == b"f 23\n      ", results[3])

    # A long message arriving in pieces is read whole.
    text = b"//" + b"x" * 198
    results, proc = session(zem, [(text, text + b"      "), (None, b"connection closed\n")])
    check("200-byte message read whole", results[0] == text + b"      ", results[0])

    # A message up to the line limit is read in parts and run; a longer one is
    # read to its end and answered with the over-long-line error, and the
    # session goes on with the workspace intact. A zero byte reads as a blank.
    too_long = b"Error: input line longer than 10239 characters, not run\n      "
    longest = b"+/" + b" 1" * 5118 + b" "
    results, proc = session(zem, [(b"w<-42", b"w<-42      "),
                                  (longest, b"5118\n      "),
                                  (b"+/" + b" 1" * 5119, too_long),
                                  (b"//" + b"x" * ((1 << 20) - 2), too_long),
                                  (b"1 2 3\x00 4", b"1 2 3 4\n      "),
                                  (b"w", b"w42\n      "),
                                  (None, b"connection closed\n")])
    check("10239-byte message runs", results[1] == longest + b"5118\n      ", results[1][-40:])
    check("10240-byte message refused", results[2] == too_long, results[2][-80:])
    check("1 MiB message refused", results[3] == too_long, results[3][-80:])
    check("zero byte reads as a blank", results[4] == b"1 2 3  41 2 3 4\n      ", results[4])
    check("session goes on", results[5] == b"w42\n      ", results[5])
    check("exit status after long messages", proc.returncode == 0, proc.returncode)

    # Four bytes of garbage read as a length above 1 MiB close the connection.
    port = free_port()
    proc = subprocess.Popen([zem, "-s", str(port)], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        conn = connect(port, time.time() + 20)
        read_until(conn, b"CLEAR WS\n\n      ", time.time() + 20)
        conn.sendall(b"junk1+2")
        reply = read_until(conn, b"connection closed\n", time.time() + 20)
        check("garbage length refused", b"refused" in reply and b"connection closed" in reply, reply)
        conn.close()
        proc.wait(timeout=10)
        check("refusal exit status", proc.returncode == 0, proc.returncode)
    finally:
        if proc.poll() is None:
            proc.kill()

    # A client that goes while output is still being written ends the running
    # statement and the server: a whole print of 4294967296 empty rows, and a
    # loop that prints for ever.
    endless = [b"@.z<-f y", b"L:[]<-y", b"->L", b"@.", b"f 7"]
    for title, messages in (("whole print", [b"[]<-4294967296 0#1"]), ("endless loop", endless)):
        port = free_port()
        proc = subprocess.Popen([zem, "-s", str(port)], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        try:
            conn = connect(port, time.time() + 20)
            read_until(conn, b"CLEAR WS\n\n      ", time.time() + 20)
            for m in messages:
                send(conn, m)
            read_until(conn, b"\n\n\n" if len(messages) == 1 else b"7\n7\n7\n", time.time() + 20)
            conn.close()
            try:
                proc.wait(timeout=30)
            except subprocess.TimeoutExpired:
                pass
            check(f"client gone during {title}: server ended", proc.returncode == 0,
                  proc.returncode)
        finally:
            if proc.poll() is None:
                proc.kill()

    # A client that vanishes mid-reply cannot kill the server with SIGPIPE.
    port = free_port()
    proc = subprocess.Popen([zem, "-s", str(port)], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        conn = connect(port, time.time() + 20)
        conn.close()
        proc.wait(timeout=10)
        check("vanished client", proc.returncode == 0, proc.returncode)
    finally:
        if proc.poll() is None:
            proc.kill()

    print(f"{passed} passed, {failures} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
