"""The network frame as the devtools scripts write and cut it:
MARK "cmd" MARK, a 10-byte handle, MARK, the command padded to 20, an
optional MARK and payload, then MARK "endcmd" MARK."""

MARK = b"\xa4"
START = MARK + b"cmd" + MARK
END = MARK + b"endcmd" + MARK


def frame(handle, command, payload=b""):
    text = START + handle + MARK + command.ljust(20)
    return text + (MARK + payload if payload else b"") + END


def cut(buffer):
    """(frames, rest): the whole frames at the head of `buffer`."""
    frames = []
    while True:
        start = buffer.find(START)
        end = buffer.find(END, start + 1) if start >= 0 else -1
        if end < 0:
            return frames, buffer
        frames.append(buffer[start : end + len(END)])
        buffer = buffer[end + len(END) :]


def login(handle, name, version=b"100"):
    """The login frame of a client."""
    return START + b"KVX&UNetGameClient" + MARK + version + MARK + handle + MARK + name + END
