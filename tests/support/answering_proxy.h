#pragma once

// A stand-in for the user's HTTP proxy (or any web server) on loopback, for
// tests of the requests the program makes at start. Run it with
//   python3 -c kAnsweringProxyScript [DATES]
// It prints its port on the first line, then each request line as it comes.
// A request for ".../qndates2.dat" gets DATES (the update server's dates
// file, "\r\n" written as such) when given; every other request, and that
// one without DATES, gets the body "no news".
namespace qv::test {

inline const char* const kAnsweringProxyScript = R"(
import http.server, sys
dates = sys.argv[1].encode() if len(sys.argv) > 1 else None
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        print(self.requestline, flush=True)
        body = (dates if dates is not None and self.path.endswith("/qndates2.dat")
                else b"no news")
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
)";

}  // namespace qv::test
