#!/usr/bin/env python3
"""Times relayed moves from outside the server's process: 8 clients on
loopback (4 seated, 4 watching) play knights out and back on both boards; a
sample runs from a seated client's PlayMove write until all 8 have the relayed
PlayMove. The server is `kestroprobe serve` (the real play window, off-screen)
or, for comparison, a minimal relay in its own process that passes every
frame to every connection and checks nothing. Moves come GAP seconds apart
(environment, default 0.02), at a player's pace rather than back to back.
With SERVER_CPUS set (a taskset list), the server runs on those cores: start
this script on others (taskset -c 0 ...) for figures as from other machines.

usage: serve_timing.py KESTROPROBE [MOVES] | serve_timing.py --minimal [MOVES]
"""
import os
import re
import select
import socket
import subprocess
import sys
import time

from wire import cut, frame, login

WAIT = 10.0
SEATS = [b"WhiteA", b"BlackA", b"WhiteB", b"BlackB"]


def fail(message):
    print("serve_timing: " + message, file=sys.stderr)
    sys.exit(1)


class Peer:
    def __init__(self, port, number):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=WAIT)
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.handle = b"%10d" % (424200 + number)
        self.buffer = b""
        self.commands = []

    def wait_for(self, command):
        while True:
            if command in self.commands:
                del self.commands[: self.commands.index(command) + 1]
                return
            if not select.select([self.sock], [], [], WAIT)[0]:
                fail("no %r within %ds" % (command, WAIT))
            data = self.sock.recv(65536)
            if not data:
                fail("the server closed the connection")
            frames, self.buffer = cut(self.buffer + data)
            self.commands += [f[16:36].strip() for f in frames]

    def drain(self):
        while select.select([self.sock], [], [], 0.2)[0]:
            if not self.sock.recv(65536):
                fail("the server closed the connection")
        self.buffer, self.commands = b"", []


def minimal_relay():
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print("port %d" % listener.getsockname()[1], flush=True)
    rests = {}
    while True:
        ready, _, _ = select.select([listener] + list(rests), [], [])
        for s in ready:
            if s is listener:
                c, _ = listener.accept()
                c.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                rests[c] = b""
                continue
            data = s.recv(65536)
            if not data:
                del rests[s]
                continue
            frames, rests[s] = cut(rests[s] + data)
            for f in frames:
                for c in rests:
                    c.sendall(f)


def knight_move(n):
    """(seat, payload) of ply n: knights out and back, 8 plies a round."""
    squares = [[b"Nf3", b"Nf6"], [b"Ng1", b"Ng8"]]
    step = n % 8
    board, side, back = step % 2, (step // 2) % 2, step // 4
    letter = b"AB"[board : board + 1]
    if side:
        letter = letter.lower()
    payload = b"%d%s.%s{180}{C:[T:0][L:0]}" % (n // 8 * 2 + back + 1, letter, squares[back][side])
    return 2 * board + side, payload


def main():
    args = sys.argv[1:]
    if args[:1] == ["--serve-minimal"]:
        minimal_relay()
        return
    if not args or len(args) > 2:
        fail("usage: serve_timing.py KESTROPROBE [MOVES] | serve_timing.py --minimal [MOVES]")
    minimal = args[0] == "--minimal"
    moves = int(args[1]) if len(args) == 2 else 400
    gap = float(os.environ.get("GAP", "0.02"))
    cores = os.environ.get("SERVER_CPUS")
    prefix = ["taskset", "-c", cores] if cores else []
    if minimal:
        server = subprocess.Popen(prefix + [sys.executable, __file__, "--serve-minimal"], stdout=subprocess.PIPE)
    else:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        server = subprocess.Popen(prefix + [args[0], "serve", "0", "600"], stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, env=env)
    try:
        line = server.stdout.readline()
        m = re.fullmatch(rb"port (\d+)\n", line)
        if not m:
            fail("no port line, got %r" % line)
        peers = [Peer(int(m.group(1)), i) for i in range(8)]
        if minimal:
            time.sleep(0.5)  # every connection accepted
        else:
            for p in peers:
                p.sock.sendall(login(p.handle, b"Timer" + p.handle.strip()))
                p.wait_for(b"SetPlayerName")
            for seat, word in enumerate(SEATS):
                peers[seat].sock.sendall(frame(peers[seat].handle, b"TakeRole" + word))
                peers[seat].wait_for(b"TakeRole" + word)
            for p in peers:
                p.drain()
        samples = []
        for n in range(moves):
            seat, payload = knight_move(n)
            start = time.perf_counter()
            peers[seat].sock.sendall(frame(peers[seat].handle, b"PlayMove", payload))
            for p in peers:
                p.wait_for(b"PlayMove")
            samples.append((time.perf_counter() - start) * 1e6)
            time.sleep(gap)
        samples.sort()
        at = lambda share: samples[min(len(samples) - 1, int(share * len(samples)))]
        print("%s: %d moves, median %.0f us, p99 %.0f us (p10 %.0f, p90 %.0f)" %
              ("minimal relay" if minimal else "kestroprobe serve", len(samples), at(0.5), at(0.99), at(0.1),
               at(0.9)))
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
