#!/usr/bin/env python3
"""Wall time from Ctrl+C (SIGINT) to exit of a check run whose only page is
being analysed by a slow rule: a quadratic regular expression on 1 MB of 'a'
and a quadratic XPath on 6 000 empty paragraphs.

Usage: bench/run/cancel_latency.py PATH/TO/tollmarsh-cli
The pages are served from a loopback server started here; nothing is written
outside a temporary folder."""

import json
import os
import signal
import subprocess
import sys
import tempfile
import time

from loopback import serve

CASES = [
    ("regex on 1 MB of 'a'", 3, r"<body>|(?=a)\w*\s", "a.html", "a" * (1024 * 1024)),
    ("xpath on 6 000 <p>", 0, "count(//p/following::p)", "p.html", "<p></p>" * 6000),
]


def run_case(cli, folder, port, name, qtype, query, page, body):
    with open(os.path.join(folder, page), "w") as f:
        f.write(body)
    urls = os.path.join(folder, page + ".txt")
    with open(urls, "w") as f:
        f.write("http://127.0.0.1:%d/%s\n" % (port, page))
    rules = os.path.join(folder, page + ".json")
    with open(rules, "w", encoding="utf-8-sig") as f:
        json.dump([{"name": "S", "rules": [{"name": "R", "qtype": qtype, "query": query,
                                             "attr": "", "etype": 0}]}], f)
    process = subprocess.Popen([cli, "check", "--urls", urls, "--rules", rules, "--threads", "1",
                                "--verbose", "--out", os.path.join(folder, "out.csv")],
                               stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
    for line in process.stderr:
        if "идет анализ" in line or "analysing" in line:
            break
    time.sleep(0.5)  # the rule is well under way
    started = time.monotonic()
    process.send_signal(signal.SIGINT)
    process.communicate(timeout=600)
    print("%-24s %6.2f s from SIGINT to exit" % (name, time.monotonic() - started))


def main():
    cli = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        server = serve(folder)
        for case in CASES:
            run_case(cli, folder, server.server_address[1], *case)
        server.shutdown()


if __name__ == "__main__":
    main()
