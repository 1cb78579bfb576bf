#!/usr/bin/env python3
"""Demo APN update server for Dialwave: serves www/ with Python's own HTTP
server, so /apn/, /apn/list/ and /apn/first/ answer as an operator's server
does. Binds 127.0.0.1 on a free port unless told otherwise and prints
"host:port" (the value for DIALWAVE_UPDATE_SERVER) as its first line.

    serve.py [--port N] [--root DIR] [--port-file FILE] [--fault MODE [--delay-ms N]]

--fault makes /apn/list/ misbehave, for trying the client's defences:
  slow             the answer one byte every --delay-ms (default 1000)
  silent           the headers, then nothing on an open connection
  huge             a list of 1 MiB
  early-close      closes half-way through the announced body
  long-length      announces more than it sends and keeps the connection
  negative-length  Content-Length: -5
  inject           an APN that would break out of AT+CGDCONT=1,"IP","<apn>"
  not-http         an answer that is not HTTP
"""
import argparse
import functools
import http.server
import os
import sys
import time

FAULTS = ("slow", "silent", "huge", "early-close", "long-length", "negative-length", "inject",
          "not-http")


def faulty_handler(base, fault, delay):
    """`base` with /apn/list/ answered according to `fault`."""

    class Faulty(base):
        def do_GET(self):
            if self.path.rstrip("/") != "/apn/list":
                return super().do_GET()
            body = b"APN list (faulty)\r\ninternet.kvr\r\n"
            head = b"HTTP/1.0 200 OK\r\n"
            out = self.wfile
            if fault == "slow":
                for byte in head + b"Content-Length: %d\r\n\r\n" % len(body) + body:
                    out.write(bytes([byte]))
                    out.flush()
                    time.sleep(delay)
            elif fault in ("silent", "long-length"):
                sent = b"" if fault == "silent" else body
                out.write(head + b"Content-Length: %d\r\n\r\n" % (len(body) + 400) + sent)
                out.flush()
                time.sleep(120)
            elif fault == "huge":
                big = b"APN list\r\n" + b"a" * (1024 * 1024) + b"\r\n"
                out.write(head + b"Content-Length: %d\r\n\r\n" % len(big) + big)
            elif fault == "early-close":
                out.write(head + b"Content-Length: %d\r\n\r\n" % len(body) + body[: len(body) // 2])
            elif fault == "negative-length":
                out.write(head + b"Content-Length: -5\r\n\r\n" + body)
            elif fault == "inject":
                evil = b'APN list\r\ninternet.kvr\r\ninternet.kvr";+CFUN=0;"\r\n'
                out.write(head + b"Content-Length: %d\r\n\r\n" % len(evil) + evil)
            elif fault == "not-http":
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
    parser.add_argument("--delay-ms", type=int, default=1000, help="--fault slow: per byte")
    args = parser.parse_args()

    base = http.server.SimpleHTTPRequestHandler
    if args.fault:
        base = faulty_handler(base, args.fault, args.delay_ms / 1000.0)
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
