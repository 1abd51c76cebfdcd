"""A raw client of the wire format for the tests of korvo.exe, on 127.0.0.1 only."""
import socket
import struct
import time


def connect(port):
    """A connection to the server, which starts right after the main window shows."""
    for _ in range(100):
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=20)
        except ConnectionRefusedError:
            time.sleep(0.2)
    raise SystemExit("no server on the port")


def read(s, n):
    data = b""
    while len(data) < n:
        part = s.recv(n - len(data))
        if not part:
            raise SystemExit("the server closed the connection")
        data += part
    return data


def log_in(s, user=b"anna", password=b"secret"):
    s.sendall(b"login" + user.ljust(128) + password.ljust(128))
    reply = read(s, 2)
    assert reply == b"\x02\x09", f"login refused: {reply}"


def file_route_frame(s):
    """One frame by the file route: the whole file after its tag and size."""
    s.sendall(b"image")
    header = read(s, 12)
    assert header[:8] == b"QZMGSFLE", header
    return read(s, struct.unpack("<I", header[8:])[0])


def send_key(s, kind, value):
    """One key as an input event (kind 1: a character, 2: a virtual key); the pointer at 0."""
    s.sendall(b"event" + struct.pack("<ff", 0.0, 0.0) + bytes(8) + bytes([0, kind, value, 0]))
