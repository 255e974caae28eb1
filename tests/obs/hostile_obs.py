"""A server on the OBS address that misbehaves, for the Windows tests: it
answers the plug-in's WebSocket the way a broken or hostile peer would, and,
once FILE.forward exists, hands every new connection to the real OBS at port
Q, as an OBS that is back would be. Standard library only, for /usr/bin/python3.

    hostile_obs.py --port P --mode MODE --log FILE
                   [--forward-port Q] [--seconds T]

Modes (what each connection gets while hostile):
    silent      the connection is accepted and never answered
    deep        a Hello nested 8,000 levels deep
    endless     a Hello sent as fragments that never end
    garbage     a Hello that is no JSON
    array       a Hello that is a JSON array
    no-auth     a working obs-websocket 5 without a password: Hello without
                authentication, Identified, and every SetInputSettings
                answered as set (its text logged)
    odd-base64  a Hello whose challenge and salt are no base64; any answer
                is refused with 4009, as OBS refuses a wrong one
    cut         a message header for 4,096 bytes, 100 of them, then the
                connection is closed

Log lines (appended, flushed at once): "listening P", "connection N MODE",
"connection N forwarded", "connection N text HEX" (no-auth: a text it set),
"connection N sent N bytes" (endless), "connection N ended". Listens on
127.0.0.1 only and ends after T seconds (default 120) or when FILE.stop
exists.
"""
import argparse
import base64
import hashlib
import json
import os
import socket
import struct
import threading
import time

GUID = "258EAFA5-E914-47DA-95CA-C5AB0DC11B85"
MAX_REQUEST = 16384


class Log:
    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()

    def line(self, text):
        with self.lock, open(self.path, "a", encoding="utf-8") as f:
            f.write(text + "\n")


def frame(opcode, payload, fin=True):
    head = bytes([(0x80 if fin else 0) | opcode])
    n = len(payload)
    if n < 126:
        head += bytes([n])
    elif n < 65536:
        head += bytes([126]) + struct.pack(">H", n)
    else:
        head += bytes([127]) + struct.pack(">Q", n)
    return head + payload


def read_exact(conn, n):
    data = b""
    while len(data) < n:
        chunk = conn.recv(n - len(data))
        if not chunk:
            raise ConnectionError("closed")
        data += chunk
    return data


def read_message(conn):
    """One whole message from the client: (opcode, payload)."""
    payload, first = b"", None
    while True:
        b0, b1 = read_exact(conn, 2)
        opcode, n = b0 & 0x0F, b1 & 0x7F
        if n == 126:
            n = struct.unpack(">H", read_exact(conn, 2))[0]
        elif n == 127:
            n = struct.unpack(">Q", read_exact(conn, 8))[0]
        if n > 1 << 20:
            raise ConnectionError("too large")
        mask = read_exact(conn, 4) if b1 & 0x80 else b"\0\0\0\0"
        data = bytes(c ^ mask[i % 4] for i, c in enumerate(read_exact(conn, n)))
        if opcode >= 8:
            if opcode == 8:
                raise ConnectionError("closed by the client")
            continue
        first = opcode if first is None else first
        payload += data
        if b0 & 0x80:
            return first, payload


def handshake(conn):
    request = b""
    while b"\r\n\r\n" not in request:
        chunk = conn.recv(4096)
        if not chunk or len(request) > MAX_REQUEST:
            raise ConnectionError("no upgrade")
        request += chunk
    key = ""
    for line in request.decode("latin-1").split("\r\n"):
        name, _, value = line.partition(":")
        if name.strip().lower() == "sec-websocket-key":
            key = value.strip()
    accept = base64.b64encode(hashlib.sha1((key + GUID).encode()).digest()).decode()
    conn.sendall(("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                  "Sec-WebSocket-Accept: " + accept + "\r\nSec-WebSocket-Protocol: obswebsocket.json\r\n\r\n")
                 .encode())


def send_text(conn, text):
    conn.sendall(frame(1, text.encode("utf-8")))


def hello(extra=None):
    d = {"obsWebSocketVersion": "5.1.0", "rpcVersion": 1}
    d.update(extra or {})
    return json.dumps({"op": 0, "d": d})


def hostile(conn, mode, number, log, stop):
    if mode == "silent":
        while not stop.is_set() and conn.recv(4096):
            pass
        return
    handshake(conn)
    if mode == "deep":
        send_text(conn, '{"op":0,"d":{"x":' + "[" * 8000 + "]" * 8000 + "}}")
    elif mode == "garbage":
        send_text(conn, "this is no JSON {")
    elif mode == "array":
        send_text(conn, '[0,{"op":0,"d":{}}]')
    elif mode == "cut":
        conn.sendall(bytes([0x81, 126]) + struct.pack(">H", 4096) + b"x" * 100)
        return
    elif mode == "endless":
        sent = 0
        try:
            conn.sendall(frame(1, b'{"op":0,"d":{"x":"', fin=False))
            chunk = frame(0, b"a" * 65536, fin=False)
            while not stop.is_set():
                conn.sendall(chunk)
                sent += len(chunk)
        finally:
            log.line("connection %d sent %d bytes" % (number, sent))
        return
    elif mode == "odd-base64":
        send_text(conn, hello({"authentication": {"challenge": "%%not base64\u00e9", "salt": "=="}}))
        read_message(conn)
        conn.sendall(frame(8, struct.pack(">H", 4009) + b"Authentication failed."))
        return
    elif mode == "no-auth":
        send_text(conn, hello())
        read_message(conn)
        send_text(conn, json.dumps({"op": 2, "d": {"negotiatedRpcVersion": 1}}))
        while not stop.is_set():
            _, payload = read_message(conn)
            message = json.loads(payload)
            if message.get("op") != 6:
                continue
            d = message["d"]
            log.line("connection %d text %s" % (number, d["requestData"]["inputSettings"]["text"].encode().hex()))
            send_text(conn, json.dumps({"op": 7, "d": {"requestType": d["requestType"], "requestId": d["requestId"],
                                                       "requestStatus": {"result": True, "code": 100}}}))
    # Whatever was sent, the connection stays until the client ends it.
    while not stop.is_set() and conn.recv(4096):
        pass


def forward(conn, port, stop):
    upstream = socket.create_connection(("127.0.0.1", port))

    def pump(a, b):
        try:
            while not stop.is_set():
                data = a.recv(65536)
                if not data:
                    break
                b.sendall(data)
        except OSError:
            pass
        for s in (a, b):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    other = threading.Thread(target=pump, args=(upstream, conn), daemon=True)
    other.start()
    pump(conn, upstream)
    other.join(5)
    upstream.close()


def serve(conn, number, args, log, stop):
    try:
        conn.settimeout(None)
        if args.forward_port and os.path.exists(args.log + ".forward"):
            log.line("connection %d forwarded" % number)
            forward(conn, args.forward_port, stop)
        else:
            log.line("connection %d %s" % (number, args.mode))
            hostile(conn, args.mode, number, log, stop)
    except (OSError, ConnectionError, ValueError, KeyError):
        pass
    finally:
        log.line("connection %d ended" % number)
        conn.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--mode", required=True,
                        choices=["silent", "deep", "endless", "garbage", "array", "no-auth", "odd-base64", "cut"])
    parser.add_argument("--log", required=True)
    parser.add_argument("--forward-port", type=int, default=0)
    parser.add_argument("--seconds", type=float, default=120)
    args = parser.parse_args()
    log, stop = Log(args.log), threading.Event()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", args.port))
    listener.listen(16)
    listener.settimeout(0.2)
    log.line("listening %d" % args.port)
    started, number = time.monotonic(), 0
    while time.monotonic() - started < args.seconds and not os.path.exists(args.log + ".stop"):
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        number += 1
        threading.Thread(target=serve, args=(conn, number, args, log, stop), daemon=True).start()
    stop.set()
    listener.close()
    log.line("stopped")


if __name__ == "__main__":
    main()
