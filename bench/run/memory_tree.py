#!/usr/bin/env python3
"""Peak memory of a whole check run (the program and its analysis helpers) over
10 pages of 60 MB on 10 threads, once with an XPath rule and once with an
XQuery rule, and the wall time of each run.

Usage: bench/run/memory_tree.py PATH/TO/tollmarsh-cli [PAGE-MB]
A page of 60 MB holds about 2 million elements, whose tree alone passes a
helper's memory limit: those pages end as analysis errors (the report says so);
a smaller PAGE-MB shows a run whose pages all succeed.
The pages are served from a loopback server started here; nothing is written
outside a temporary folder."""

import os
import subprocess
import sys
import tempfile
import threading
import time

from loopback import serve

PAGES = 10
PAGE_BYTES = 60 * 1000 * 1000
CASES = [
    ("XPath //h2", "xpath://h2"),
    ("XQuery //h2/string()", "xquery://h2/string()"),
]


def ordinary_page(size):
    """A long article: sections of headings, paragraphs with links, lists."""
    section = ("<h2>Section</h2><p>Some text with <a href=\"/x\">a link</a> and <b>bold</b> words, "
               "enough of them to look like prose.</p><ul><li>one</li><li>two</li></ul>\n")
    head = "<!DOCTYPE html><html><head><title>Big</title></head><body>"
    tail = "</body></html>"
    count = (size - len(head) - len(tail)) // len(section)
    return head + section * count + tail


def tree_rss_kb(root):
    """Resident memory of a process and all its descendants."""
    children = {}
    rss = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            with open("/proc/%s/statm" % entry) as f:
                rss[int(entry)] = int(f.read().split()[1]) * os.sysconf("SC_PAGESIZE") // 1024
            children.setdefault(int(fields[1]), []).append(int(entry))
        except (OSError, IndexError, ValueError):
            continue
    total, stack = 0, [root]
    while stack:
        pid = stack.pop()
        total += rss.get(pid, 0)
        stack.extend(children.get(pid, []))
    return total


def run_case(cli, folder, port, name, rule):
    urls = os.path.join(folder, "urls.txt")
    with open(urls, "w") as f:
        for i in range(PAGES):
            f.write("http://127.0.0.1:%d/page.html?%d\n" % (port, i))
    started = time.monotonic()
    process = subprocess.Popen([cli, "check", "--urls", urls, "--rule", rule, "--threads", "10",
                                "--out", os.path.join(folder, "out.csv")],
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    peak = 0
    errors = []
    reader = threading.Thread(target=lambda: errors.extend(process.stderr.readlines()), daemon=True)
    reader.start()
    while process.poll() is None:
        peak = max(peak, tree_rss_kb(process.pid))
        time.sleep(0.05)
    reader.join()
    with open(os.path.join(folder, "out.csv"), encoding="utf-8", errors="replace") as f:
        rows = f.read().splitlines()
    outcomes = {}
    for row in rows[1:]:
        fields = row.split(";")
        if len(fields) > 2 and fields[1].startswith("http"):
            outcomes[fields[2]] = outcomes.get(fields[2], 0) + 1
    print("%-22s pages of %d MB: outcomes %s" % (name, PAGE_BYTES // 1000000, outcomes))
    print("%-22s peak %6.0f MB (program and helpers), %5.1f s, exit %d, %d report lines"
          % (name, peak / 1024, time.monotonic() - started, process.returncode, len(rows)))
    for line in errors:
        if "ERROR" in line or "ОШИБКА" in line or "rule #" in line or "правило #" in line:
            print("   ", line.rstrip())


def main():
    cli = sys.argv[1]
    global PAGE_BYTES
    if len(sys.argv) > 2:
        PAGE_BYTES = int(float(sys.argv[2]) * 1000 * 1000)
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "page.html"), "w") as f:
            f.write(ordinary_page(PAGE_BYTES))
        server = serve(folder)
        for case in CASES:
            run_case(cli, folder, server.server_address[1], *case)
        server.shutdown()


if __name__ == "__main__":
    main()
