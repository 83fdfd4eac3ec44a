#!/usr/bin/env python3
"""Server mode over a real socket on 127.0.0.1: framing, echo, reply, close;
the address it listens on (loopback unless one is given), and a socket that
cannot be set up. Only loopback and this machine's own addresses are used."""
import fcntl
import socket
import struct
import subprocess
import sys
import time

from tally import Tally

WAITING = b"===========waiting for client's request===========\n"
SIOCGIFADDR = 0x8915


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


def own_addresses():
    """This machine's own IPv4 addresses outside the loopback network."""
    found = []
    for _, name in socket.if_nameindex():
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            try:
                request = struct.pack("256s", name.encode()[:15])
                reply = fcntl.ioctl(s.fileno(), SIOCGIFADDR, request)
            except OSError:
                continue
        address = socket.inet_ntoa(reply[20:24])
        if not address.startswith("127."):
            found.append(address)
    return found


def listening_address(port, family):
    """The local address the listening socket on port is bound to, read from
    the kernel's table of this network namespace."""
    table = "/proc/net/tcp6" if family == socket.AF_INET6 else "/proc/net/tcp"
    with open(table) as f:
        for line in list(f)[1:]:
            fields = line.split()
            host, hexport = fields[1].split(":")
            if fields[3] == "0A" and int(hexport, 16) == port:  # 0A: listening
                raw = bytes.fromhex(host)
                # The table writes each 32-bit word of the address in host order.
                words = b"".join(raw[i:i + 4][::-1] for i in range(0, len(raw), 4))
                return socket.inet_ntop(family, words)
    return None


def ipv6_loopback():
    try:
        with socket.socket(socket.AF_INET6) as s:
            s.bind(("::1", 0))
        return True
    except OSError:
        return False


def serve(zem, argument):
    """Starts a server and waits until it listens."""
    proc = subprocess.Popen([zem, "-s", argument], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    line = proc.stdout.readline()
    if line != WAITING:
        proc.kill()
        raise AssertionError(f"no waiting line: {line!r} {proc.stderr.read()!r}")
    return proc


def one_sum(proc, host, port):
    """Runs 1+2 as the server's client from host; True when answered and the
    server then ended cleanly."""
    try:
        conn = socket.create_connection((host, port), timeout=10)
        deadline = time.time() + 20
        read_until(conn, b"CLEAR WS\n\n      ", deadline)
        send(conn, b"1+2")
        reply = read_until(conn, b"1+23\n      ", deadline)
        conn.close()
        return reply == b"1+23\n      " and proc.wait(timeout=10) == 0
    finally:
        if proc.poll() is None:
            proc.kill()


def refused(host, port):
    try:
        socket.create_connection((host, port), timeout=10).close()
    except ConnectionRefusedError:
        return True
    return False


def address_cases(zem, check):
    """Loopback by default: the socket is bound to 127.0.0.1 and this
    machine's other addresses are refused; an address given is used as it is."""
    own = own_addresses()
    port = free_port()
    proc = serve(zem, str(port))
    check("default: bound to loopback",
          listening_address(port, socket.AF_INET) == "127.0.0.1",
          listening_address(port, socket.AF_INET))
    for address in own:
        check(f"default: refused at {address}", refused(address, port), address)
    check("default: served on loopback", one_sum(proc, "127.0.0.1", port), port)

    port = free_port()
    proc = serve(zem, f"0.0.0.0:{port}")
    check("0.0.0.0: bound to every interface",
          listening_address(port, socket.AF_INET) == "0.0.0.0",
          listening_address(port, socket.AF_INET))
    reach = own[0] if own else "127.0.0.1"
    check(f"0.0.0.0: served at {reach}", one_sum(proc, reach, port), reach)

    if ipv6_loopback():
        for argument in ("[::1]:{}", "::1:{}"):
            with socket.socket(socket.AF_INET6) as s:
                s.bind(("::1", 0))
                port = s.getsockname()[1]
            proc = serve(zem, argument.format(port))
            check(f"{argument}: bound to ::1",
                  listening_address(port, socket.AF_INET6) == "::1",
                  listening_address(port, socket.AF_INET6))
            check(f"{argument}: served", one_sum(proc, "::1", port), port)

    # A port another socket holds: the bind failure's message on stderr, no
    # waiting line, status 1.
    with socket.socket() as holder:
        holder.bind(("127.0.0.1", 0))
        holder.listen(1)
        port = holder.getsockname()[1]
        for argument in (str(port), f"127.0.0.1:{port}"):
            proc = subprocess.run([zem, "-s", argument], stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, timeout=20)
            check(f"{argument} in use: status 1", proc.returncode == 1, proc.returncode)
            check(f"{argument} in use: no waiting line", proc.stdout == b"", proc.stdout)
            check(f"{argument} in use: bind message",
                  proc.stderr == b"bind socket error: Address already in use(errno: 98)\n",
                  proc.stderr)

    # Multicast and broadcast addresses, where no client can ever connect:
    # refused with a message on stderr and status 1, no waiting line.
    for address in ("224.0.0.1", "239.255.255.250", "255.255.255.255", "[ff02::1]",
                    "[::ffff:224.0.0.1]"):
        argument = f"{address}:{free_port()}"
        proc = subprocess.Popen([zem, "-s", argument], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        out = proc.stdout.readline()  # the waiting line of a server that listens, else nothing
        if out:
            proc.kill()
        rest, err = proc.communicate(timeout=20)
        out += rest
        check(f"{argument}: status 1", proc.returncode == 1, proc.returncode)
        check(f"{argument}: no waiting line", out == b"", out)
        check(f"{argument}: message",
              err == b"bind socket error: a multicast or broadcast address takes no connections\n",
              err)


def main():
    zem = sys.argv[1]
    tally = Tally()
    check = tally.check

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
    # read to its end, echoed like any line and answered with the
    # over-long-line error, and the session goes on with the workspace
    # intact. A zero byte reads as a blank, in a refused line's echo too.
    too_long = b"Error: input line longer than 10239 characters, not run\n      "
    longest = b"+/" + b" 1" * 5118 + b" "
    over = b"+/" + b" 1" * 5119
    huge = b"//" + b"x" * ((1 << 20) - 2)
    zeros = b"'a\x00b'" + b" " * 10240
    results, proc = session(zem, [(b"w<-42", b"w<-42      "),
                                  (longest, b"5118\n      "),
                                  (over, too_long),
                                  (huge, too_long),
                                  (zeros, too_long),
                                  (b"1 2 3\x00 4", b"1 2 3 4\n      "),
                                  (b"w", b"w42\n      "),
                                  (None, b"connection closed\n")])
    check("10239-byte message runs", results[1] == longest + b"5118\n      ", results[1][-40:])
    check("10240-byte message echoed and refused", results[2] == over + too_long,
          (len(results[2]), results[2][:40], results[2][-80:]))
    check("1 MiB message echoed and refused", results[3] == huge + too_long,
          (len(results[3]), results[3][:40], results[3][-80:]))
    check("refused line's zero byte echoed as a blank",
          results[4] == zeros.replace(b"\x00", b" ") + too_long,
          (len(results[4]), results[4][:40], results[4][-80:]))
    check("zero byte reads as a blank", results[5] == b"1 2 3  41 2 3 4\n      ", results[5])
    check("session goes on", results[6] == b"w42\n      ", results[6])
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

    address_cases(zem, check)

    tally.finish()


if __name__ == "__main__":
    main()
