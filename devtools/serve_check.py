#!/usr/bin/env python3
"""Plays through `kestroprobe serve` from outside, with a plain TCP socket
and the frames alone: logs in, takes all four seats, plays moves (a capture
and a drop among them, one illegal move), ends the server with a terminate
signal and checks the record and the roles summary it prints then.

usage: serve_check.py KESTROPROBE
"""
import os
import re
import select
import signal
import socket
import subprocess
import sys
import tempfile
import time

from wire import END, cut, login
from wire import frame as wire_frame

HANDLE = b"    424242"
NAME = b"Outsider"
WAIT = 60.0  # seconds for any one answer, on a loaded machine
SERVING = 600  # seconds the server would serve: the check ends it first
LONG_CLAIM = 999999999  # a thinking time no test run can measure
FIRST_MOVE_NOTE = b" T=Thinking time per move in miliseconds L=lag per move in ms"


def fail(message):
    print("serve_check: " + message, file=sys.stderr)
    sys.exit(1)


def frame(command, payload=b""):
    return wire_frame(HANDLE, command, payload)


class Peer:
    """The server's frames, cut from the stream as they come."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=WAIT)
        self.buffer = b""
        self.frames = []  # (command, payload), in order

    def send(self, data):
        self.sock.sendall(data)

    def wait_for(self, command, payload=None):
        """The first unread frame with this command (and payload); earlier
        frames are passed over."""
        deadline = time.monotonic() + WAIT
        while True:
            for i, (c, p) in enumerate(self.frames):
                if c == command and (payload is None or payload(p)):
                    del self.frames[: i + 1]
                    return p
            left = deadline - time.monotonic()
            if left <= 0:
                fail("no %r frame from the server within %ds" % (command, WAIT))
            self.sock.settimeout(left)
            try:
                data = self.sock.recv(65536)
            except socket.timeout:
                continue
            if not data:
                fail("the server closed the connection while %r was awaited" % command)
            self.buffer += data
            self.cut()

    def cut(self):
        frames, self.buffer = cut(self.buffer)
        for f in frames:
            payload = f[37 : len(f) - len(END)] if len(f) >= 45 else b""
            self.frames.append((f[16:36].strip(), payload))


def read_line(pipe, seconds):
    deadline = time.monotonic() + seconds
    line = b""
    while not line.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([pipe], [], [], left)[0]:
            fail("kestroprobe printed no port line within %ds" % seconds)
        chunk = os.read(pipe.fileno(), 1)
        if not chunk:
            fail("kestroprobe ended before printing its port")
        line += chunk
    return line


def sections(output):
    """reBPGNGames and RolesSummaryText, each "TITLE <bytes>\\n" + text + "\\n"."""
    found = {}
    rest = output
    for title in (b"reBPGNGames", b"RolesSummaryText"):
        head, _, rest = rest.partition(b"\n")
        m = re.fullmatch(re.escape(title) + rb" (\d+)", head)
        if not m:
            fail("expected a %r line, got %r" % (title, head))
        size = int(m.group(1))
        if rest[size : size + 1] != b"\n":
            fail("the %r text is not %d bytes and a line end" % (title, size))
        found[title] = rest[:size]
        rest = rest[size + 1 :]
    if rest:
        fail("unexpected output after the roles summary: %r" % rest)
    return found[b"reBPGNGames"], found[b"RolesSummaryText"]


def main():
    if len(sys.argv) != 2:
        fail("usage: serve_check.py KESTROPROBE")
    home = tempfile.mkdtemp(prefix="kestro-serve-")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=home,
               XDG_CONFIG_HOME=home + "/config", XDG_DATA_HOME=home + "/data", XDG_CACHE_HOME=home + "/cache")
    probe = subprocess.Popen([sys.argv[1], "serve", "0", str(SERVING)], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, env=env)
    try:
        first = read_line(probe.stdout, 60)
        m = re.fullmatch(rb"port (\d+)\n", first)
        if not m or not 0 < int(m.group(1)) < 65536:
            fail("first line %r is not \"port N\"" % first)
        peer = Peer(int(m.group(1)))

        peer.send(login(HANDLE, NAME))
        if peer.wait_for(b"SetPlayerName") != NAME:
            fail("the server gave another name")
        # Four seat requests in one write: the server must cut them apart.
        seats = [b"WhiteA", b"BlackA", b"WhiteB", b"BlackB"]
        peer.send(b"".join(frame(b"TakeRole" + s) for s in seats))
        for s in seats:
            peer.wait_for(b"TakeRole" + s)
        peer.wait_for(b"SetPlayers", lambda p: p == b"WhiteA:Outsider" b"BlackA:Outsider" b"WhiteB:Outsider"
                      b"BlackB:Outsider")

        # (token, claimed T): the first claims far more than the server can
        # have measured, the drop uses the pawn the capture on A gave BlackB.
        moves = [(b"1A.e4", LONG_CLAIM), (b"1a.d5", 0), (b"2A.exd5", 40), (b"1B.Nf3", LONG_CLAIM), (b"1b.P@e5", 10),
                 (b"2a.Ke1", 10), (b"2B.Nxe5", 20)]
        illegal = b"2a.Ke1"
        relayed = []
        for token, claimed in moves:
            payload = token + b"{180}{C:[T:%d][L:0]}" % claimed
            peer.send(frame(b"PlayMove", payload))
            if token == illegal:
                continue  # silent: the next move's broadcast comes first
            text = peer.wait_for(b"PlayMove")
            if not text.startswith(token + b"{"):
                fail("relayed %r for %r" % (text, token))
            stamp = re.fullmatch(re.escape(token) + rb"\{(\d+)\}\{C:\[T:(\d+)\]\[L:(\d+)\](.*)\}", text, re.S)
            if not stamp:
                fail("relayed move %r lacks its {clock}{C:[T:..][L:..]} comment" % text)
            t, note = int(stamp.group(2)), stamp.group(4)
            if t > claimed or t == LONG_CLAIM:
                fail("T %d in %r is not clamped to the claim and the measured time" % (t, text))
            first = token == b"1A.e4"
            if note not in ((FIRST_MOVE_NOTE, b"[LagCompensatorSetOn:1]" + FIRST_MOVE_NOTE) if first else (b"",)):
                fail("wrong note in %r" % text)
            relayed.append(text)
        peer.send(frame(b"Talk", b"good game"))
        if peer.wait_for(b"Talk", lambda p: p.startswith(NAME + b">")) != NAME + b">good game":
            fail("the chat line came back changed")

        probe.send_signal(signal.SIGTERM)
        try:
            output, errors = probe.communicate(timeout=WAIT)
        except subprocess.TimeoutExpired:
            fail("kestroprobe did not end within %ds of the terminate signal" % WAIT)
        peer.sock.close()
        if probe.returncode != 0:
            fail("kestroprobe ended with %d: %s" % (probe.returncode, errors.decode("latin-1")))
        record, roles = sections(output)

        # The record holds exactly the relayed moves, in order, then "{*} *".
        moves_text = b" ".join(line for line in re.split(rb"\r?\n", record) if not line.startswith(b"["))
        expected = b"".join(b" " + t for t in relayed)
        if re.sub(rb"\s+", b" ", moves_text).strip() != (expected + b" {*} *").strip():
            fail("record moves %r differ from the relayed %r" % (moves_text, expected))
        if illegal in record:
            fail("the illegal move reached the record")
        # The administrator without a seat, the outsider with the client bits and all four seats.
        want = (b"On this server is online 2 active chess players:\n"
                b"Supervisor            Roles 11100000 [  1]\n"
                b"Outsider              Roles 01111110 [  2]")
        if roles != want:
            fail("roles summary %r, expected %r" % (roles, want))
    finally:
        if probe.poll() is None:
            probe.kill()
            probe.wait()
    print("serve_check: %d moves relayed and recorded" % len(relayed))


if __name__ == "__main__":
    main()
