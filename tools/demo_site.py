#!/usr/bin/env python3
"""Demo landing site for the client, served on loopback only.

  demo_site.py [--port N] [--port-file F] [--log F]

Serves the landing page at /lander/qmvt..., a game page that the landing page
links to (/game?type=3&server_id=...), and small pages for the platform's
service, forum, official-site and payment addresses. Every request line is
appended to the log file when one is given, so tests can see what arrived.

Test endpoints, for the scripted browser double (tests/browserdouble):
  /redirect?to=URL[&hops=N][&status=S]  redirect (S: 301, 302, 303, 307, 308;
        default 302) to URL; with hops=N > 1 it first redirects N-1 times to
        itself with a relative Location, so one address makes a chain
  /status?code=N         an HTML page answered with status N
  /slow?ms=N             an HTML page sent after N milliseconds (at most 10 s)
  /cacheable             an HTML page that caches may keep for an hour
  /page[?title=T]        a neutral HTML page
Every HTML page answered with 200 carries one comment "<!-- double: X -->"
per query value double=X (e.g. double=flash, double=newwindow%20/pay,
double=navigate%20/page%20300); the game page always carries "flash".
"""
import argparse
import html
import http.server
import threading
import time
import urllib.parse

LANDING = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>ZQLumavex</title>
<style>
body {{ margin:0; background:#0b1024; color:#e8dcb0; font-family:sans-serif; }}
.box {{ margin:40px auto; width:420px; text-align:center; }}
a.play {{ display:inline-block; padding:12px 36px; background:#c8a24a; color:#111;
          text-decoration:none; border-radius:6px; font-weight:bold; }}
</style></head>
<body><div class="box">
<h2>欢迎来到 ZQLumavex</h2>
<p>Param: {param}</p>
<p><a class="play" href="/game?type=3&amp;server_id=1001">进入游戏</a></p>
</div></body></html>
"""

GAME = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>ZQLumavex</title></head>
<body style="margin:0;background:#000;color:#ddd;font-family:sans-serif">
<h1 style="text-align:center;margin-top:20%">ZQLumavex · 服务器 {server}</h1>
<!-- double: flash -->
</body></html>
"""

PLAIN = """<!DOCTYPE html><html><head><meta charset="utf-8"><title>{title}</title></head>
<body><h1>{title}</h1><p>{path}</p></body></html>
"""


class Handler(http.server.BaseHTTPRequestHandler):
    log_path = None
    lock = threading.Lock()

    def log_message(self, fmt, *args):
        pass

    def _record(self):
        if self.log_path:
            with self.lock, open(self.log_path, "a", encoding="utf-8") as log:
                log.write(self.command + " " + self.path + "\n")

    def _send(self, body, status=200, cache="no-store", extra_headers=()):
        data = body.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Cache-Control", cache)
        for name, value in extra_headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(data)

    def _page(self, body, query, **kwargs):
        """Sends an HTML page with the double's directives asked for in the query."""
        directives = "".join("<!-- double: %s -->\n" % d.replace("--", "")
                             for d in query.get("double", []))
        if directives:
            at = body.rfind("</body>")
            body = body[:at] + directives + body[at:] if at >= 0 else body + directives
        self._send(body, **kwargs)

    def _redirect(self, query):
        target = query.get("to", ["/"])[0]
        hops = int(query.get("hops", ["1"])[0] or 1)
        status = int(query.get("status", ["302"])[0] or 302)
        if status not in (301, 302, 303, 307, 308):
            status = 302
        if hops > 1:
            rest = dict(query, hops=[str(hops - 1)])
            target = "/redirect?" + urllib.parse.urlencode(rest, doseq=True)
        self.send_response(status)
        self.send_header("Location", target)
        self.send_header("Content-Length", "0")
        self.send_header("Cache-Control", "no-store")
        self.end_headers()

    def do_GET(self):
        self._record()
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        plain = PLAIN.format(title="ZQLumavex", path=html.escape(self.path))
        if url.path.startswith("/lander/qmvt"):
            param = self.path[len("/lander/qmvt"):]
            self._page(LANDING.format(param=html.escape(param)), query)
        elif url.path == "/game":
            server = query.get("server_id", ["?"])[0]
            self._page(GAME.format(server=html.escape(server)), query)
        elif url.path in ("/services", "/forum.php", "/pay", "/"):
            self._page(plain, query)
        elif url.path == "/redirect":
            self._redirect(query)
        elif url.path == "/status":
            code = int(query.get("code", ["200"])[0] or 200)
            if code == 200:
                self._page(plain, query)
            else:
                self._send(PLAIN.format(title=str(code), path=html.escape(self.path)), code)
        elif url.path == "/slow":
            time.sleep(min(int(query.get("ms", ["0"])[0] or 0), 10000) / 1000.0)
            self._page(plain, query)
        elif url.path == "/cacheable":
            self._page(plain, query, cache="public, max-age=3600")
        elif url.path == "/page":
            title = query.get("title", ["page"])[0]
            self._page(PLAIN.format(title=html.escape(title), path=html.escape(self.path)), query)
        else:
            self._send(PLAIN.format(title="404", path=html.escape(self.path)), 404)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file")
    parser.add_argument("--log")
    args = parser.parse_args()
    Handler.log_path = args.log
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    if args.port_file:
        with open(args.port_file, "w") as f:
            f.write(str(server.server_address[1]))
    server.serve_forever()


if __name__ == "__main__":
    main()
