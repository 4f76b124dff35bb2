#!/usr/bin/env python3
"""Serves the web player's site (build-web/site/) on 127.0.0.1 and prints its
URL. Any static web server will do as well; this one sends the MIME type
that browsers need to compile WebAssembly as it arrives."""
import argparse
import functools
import http.server
import os
import sys


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".js": "text/javascript",
        ".json": "application/json",
        ".qcs": "text/plain; charset=utf-8",
        ".qcd": "application/octet-stream",
        ".exe": "application/octet-stream",
    }
    mounts = {}  # URL prefix -> folder, besides the site

    def translate_path(self, path):
        for prefix, folder in self.mounts.items():
            if path.startswith(prefix + "/"):
                site = self.directory
                self.directory = folder
                try:
                    return super().translate_path(path[len(prefix):])
                finally:
                    self.directory = site
        return super().translate_path(path)

    def log_message(self, format, *args):
        if self.server.verbose:
            super().log_message(format, *args)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("site", nargs="?", default="build-web/site", help="the folder to serve (build-web/site)")
    parser.add_argument("--port", type=int, default=8000, help="0 picks a free one (8000)")
    parser.add_argument("--mount", action="append", default=[], metavar="PREFIX=DIR",
                        help="also serve DIR under /PREFIX/ (for test files)")
    parser.add_argument("--verbose", action="store_true", help="log every request")
    args = parser.parse_args()
    if not os.path.isfile(os.path.join(args.site, "index.html")):
        sys.exit(f"serve.py: {args.site} holds no site; build it with scripts/build")
    for mount in args.mount:
        prefix, _, folder = mount.partition("=")
        SiteHandler.mounts["/" + prefix.strip("/")] = os.path.abspath(folder)
    handler = functools.partial(SiteHandler, directory=os.path.abspath(args.site))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), handler)
    server.verbose = args.verbose
    print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
