#!/usr/bin/env python3
"""Demo APN update server for Dialwave: serves www/ with Python's own HTTP
server, so /apn/, /apn/list/ and /apn/first/ answer as an operator's server
does. Binds 127.0.0.1 on a free port unless told otherwise and prints
"host:port" (the value for DIALWAVE_UPDATE_SERVER) as its first line.

    serve.py [--port N] [--root DIR] [--port-file FILE] [--fault MODE [--delay-ms N]]
             [--fault-file FILE]

--fault makes /apn/list/ misbehave, for trying the client's defences
(mute: every path):
  mute             reads the request and never answers, on any path
  slow             the answer one byte every --delay-ms (default 1000)
  silent           the headers, then nothing on an open connection
  huge             a list of 1 MiB
  early-close      closes half-way through the announced body
  long-length      announces more than it sends and keeps the connection
  negative-length  Content-Length: -5
  inject           an APN that would break out of AT+CGDCONT=1,"IP","<apn>"
  not-http         an answer that is not HTTP
--fault-file names a file read at every request instead: its first word is
the mode, and an empty or missing file means no fault, so a test can change
the server's behaviour while the program runs.
"""
import argparse
import functools
import http.server
import os
import sys
import time

FAULTS = ("mute", "slow", "silent", "huge", "early-close", "long-length", "negative-length", "inject",
          "not-http")


def fault_from_file(path):
    try:
        with open(path) as f:
            words = f.read().split()
    except OSError:
        return None
    return words[0] if words and words[0] in FAULTS else None


def faulty_handler(base, fault, delay, fault_file=None):
    """`base` answered according to `fault` (or the mode in `fault_file`)."""

    class Faulty(base):
        def do_GET(self):
            mode = fault_from_file(fault_file) if fault_file else fault
            if mode == "mute":
                time.sleep(600)
                self.close_connection = True
                return
            if mode is None or self.path.rstrip("/") != "/apn/list":
                return super().do_GET()
            body = b"APN list (faulty)\r\ninternet.kvr\r\n"
            head = b"HTTP/1.0 200 OK\r\n"
            out = self.wfile
            if mode == "slow":
                for byte in head + b"Content-Length: %d\r\n\r\n" % len(body) + body:
                    out.write(bytes([byte]))
                    out.flush()
                    time.sleep(delay)
            elif mode in ("silent", "long-length"):
                sent = b"" if mode == "silent" else body
                out.write(head + b"Content-Length: %d\r\n\r\n" % (len(body) + 400) + sent)
                out.flush()
                time.sleep(120)
            elif mode == "huge":
                big = b"APN list\r\n" + b"a" * (1024 * 1024) + b"\r\n"
                out.write(head + b"Content-Length: %d\r\n\r\n" % len(big) + big)
            elif mode == "early-close":
                out.write(head + b"Content-Length: %d\r\n\r\n" % len(body) + body[: len(body) // 2])
            elif mode == "negative-length":
                out.write(head + b"Content-Length: -5\r\n\r\n" + body)
            elif mode == "inject":
                evil = b'APN list\r\ninternet.kvr\r\ninternet.kvr";+CFUN=0;"\r\n'
                out.write(head + b"Content-Length: %d\r\n\r\n" % len(evil) + evil)
            elif mode == "not-http":
                out.write(b"SSH-2.0-OpenSSH_9.2\r\n")
            self.close_connection = True

        def log_message(self, *args):
            pass

    return Faulty


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0, help="0: a free port")
    parser.add_argument("--root", default=os.path.join(here, "www"))
    parser.add_argument("--port-file", help="also write host:port here once listening")
    parser.add_argument("--fault", choices=FAULTS, help="make /apn/list/ misbehave")
    parser.add_argument("--fault-file", help="read the mode from this file at every request")
    parser.add_argument("--delay-ms", type=int, default=1000, help="--fault slow: per byte")
    args = parser.parse_args()

    base = http.server.SimpleHTTPRequestHandler
    if args.fault or args.fault_file:
        base = faulty_handler(base, args.fault, args.delay_ms / 1000.0, args.fault_file)
    handler = functools.partial(base, directory=args.root)
    # HTTP/1.0 answers with Content-Length and closes, as the client expects.
    handler.protocol_version = "HTTP/1.0"
    server = http.server.ThreadingHTTPServer((args.bind, args.port), handler)
    address = "%s:%d" % (args.bind, server.server_address[1])
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(address + "\n")
        os.replace(tmp, args.port_file)
    print(address, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
