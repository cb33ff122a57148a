"""A small HTTP/1.0 server for the HTTP client's tests and benchmark.

Serves the files of a folder (--root) and a few special paths that send
responses a well-behaved server would not. Binds 127.0.0.1 on a free port
and prints that port on the first line of standard output. With --cert and
--key it speaks https with that certificate.

Special paths:
  /redirect?port=P&path=/x  302 to http://127.0.0.1:P/x
  /redirect-relative        302 to /hello.txt
  /redirect-loop            302 to itself, for ever
  /no-length                200 with a body and no Content-Length
  /headerless               "<HtMl>..." without any header or line break
  /headerless-lines         "<html>" lines ended by CR LF, without header
  /too-long                 a header line longer than the client's buffer
  /close                    closes without answering
  /bad-status               a status line with a non-numeric code
  /bad-length               a non-numeric Content-Length
  /last-request             the head of the previous request, as the body
  .../qnnew.dat             200 with a short body, also for absolute paths
  /stall/NAME               NAME from the folder when it is qndates2.dat; any
                            other NAME is accepted and never answered
  /drop-half/NAME           NAME from the folder; for an archive (any NAME but
                            qndates2.dat and a signature, NAME.sig), the head
                            with its whole length and half the body, then the
                            connection closes
  /truncated/NAME           as /drop-half/, but the archive's first half goes
                            out as a complete response
"""
import argparse
import http.server
import os
import socketserver
import ssl
import sys
import threading
import urllib.parse

last_request = b""
last_lock = threading.Lock()


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, format, *args):
        pass

    def raw(self, data):
        self.wfile.write(data)
        self.wfile.flush()
        self.close_connection = True

    def do_GET(self):
        global last_request
        url = urllib.parse.urlsplit(self.path)
        path = url.path
        query = urllib.parse.parse_qs(url.query)
        head = (self.requestline + "\r\n" + "".join("%s: %s\r\n" % kv for kv in self.headers.items())).encode("latin-1")
        with last_lock:
            previous = last_request
            last_request = head

        fault = path.split("/")[1] if path.count("/") >= 2 else ""
        name = path[len(fault) + 2:]
        if fault in ("drop-half", "truncated") and name != "qndates2.dat" and not name.endswith(".sig"):
            with open(name, "rb") as f:
                data = f.read()
            half = data[:len(data) // 2]
            length = len(data) if fault == "drop-half" else len(half)
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n" % length + half)
            return
        if fault in ("drop-half", "truncated"):
            self.path = path[len(fault) + 1:]
            super().do_GET()
            return

        if path.startswith("/stall/"):
            if path != "/stall/qndates2.dat":
                threading.Event().wait()
            self.path = path[len("/stall"):]
            super().do_GET()
        elif path == "/last-request":
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n" % len(previous) + previous)
        elif path == "/redirect":
            target = "http://127.0.0.1:%s%s" % (query["port"][0], query.get("path", ["/"])[0])
            self.raw(b"HTTP/1.0 302 Found\r\nLocation: " + target.encode() + b"\r\n\r\nmoved")
        elif path == "/redirect-relative":
            self.raw(b"HTTP/1.0 302 Found\r\nLocation: /hello.txt\r\n\r\n")
        elif path == "/redirect-loop":
            self.raw(b"HTTP/1.0 302 Found\r\nLocation: /redirect-loop\r\n\r\n")
        elif path == "/no-length":
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + b"no length here\n" * 1000)
        elif path == "/headerless":
            self.raw(b"<HtMl><body>no header</body></html>")
        elif path == "/headerless-lines":
            self.raw(b"<html>\r\n<body>two\r\nlines</body>\r\n</html>\r\n")
        elif path == "/too-long":
            self.raw(b"HTTP/1.0 200 OK\r\nX-Long: " + b"a" * 10000 + b"\r\n\r\nbody")
        elif path == "/close":
            self.close_connection = True
        elif path == "/bad-status":
            self.raw(b"HTTP/1.0 2x0 OK\r\n\r\nbody")
        elif path == "/bad-length":
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: ten\r\n\r\nbody")
        elif path.endswith("/qnnew.dat"):
            self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nnews\n")
        else:
            super().do_GET()


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()
    os.chdir(args.root)
    server = Server(("127.0.0.1", 0), Handler)
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        # The handshake runs in the request's thread, so a client that fails
        # it holds up no other.
        server.socket = context.wrap_socket(server.socket, server_side=True,
                                            do_handshake_on_connect=False)
    print(server.server_address[1], flush=True)
    # Stop when the test that started us goes away.
    threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)), daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
