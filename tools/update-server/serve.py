#!/usr/bin/env python3
"""Demo APN update server for Dialwave: serves www/ with Python's own HTTP
server, so /apn/, /apn/list/ and /apn/first/ answer as an operator's server
does. Binds 127.0.0.1 on a free port unless told otherwise and prints
"host:port" (the value for DIALWAVE_UPDATE_SERVER) as its first line.

    serve.py [--port N] [--root DIR] [--port-file FILE]
"""
import argparse
import functools
import http.server
import os
import sys


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0, help="0: a free port")
    parser.add_argument("--root", default=os.path.join(here, "www"))
    parser.add_argument("--port-file", help="also write host:port here once listening")
    args = parser.parse_args()

    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=args.root)
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
