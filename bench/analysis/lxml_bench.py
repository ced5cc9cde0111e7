#!/usr/bin/python3
"""The five XPath queries of tm_analysis_bench in Python: lxml.html and
html5_parser (an HTML5 parser) + lxml, one thread and two, every node turned
into text. Usage: lxml_bench.py [corpus folder]"""
import concurrent.futures
import pathlib
import resource
import sys
import time

import lxml.html

try:
    import html5_parser
except ImportError:
    html5_parser = None

QUERIES = ["//title", "//a/@href", "//h1|//h2", "//div[@class='body']//p", "count(//a)"]


def as_values(result):
    if isinstance(result, list):
        out = []
        for item in result:
            if isinstance(item, str):
                out.append(str(item))
            elif hasattr(item, "text_content"):
                out.append(item.text_content())
            else:
                out.append("".join(item.itertext()))
        return out
    return [result]


def parse_lxml(data):
    return lxml.html.document_fromstring(data)


def parse_html5(data):
    return html5_parser.parse(data, treebuilder="lxml", namespace_elements=False)


def run(parse, pages, threads):
    def one(data):
        doc = parse(data)
        return sum(len(as_values(doc.xpath(q))) for q in QUERIES)

    start = time.perf_counter()
    cpu_start = time.process_time()
    if threads == 1:
        values = sum(one(p) for p in pages)
    else:
        with concurrent.futures.ThreadPoolExecutor(threads) as pool:
            values = sum(pool.map(one, pages))
    return time.perf_counter() - start, time.process_time() - cpu_start, values


def main():
    corpus = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "/usr/share/doc/python3.11/html")
    pages = [p.read_bytes() for p in sorted(corpus.rglob("*.html"))]
    if not pages:
        print(f"no pages under {corpus}: apt-get install python3.11-doc")
        return 2
    parsers = [("lxml.html", parse_lxml)]
    if html5_parser is not None:
        parsers.append(("html5_parser+lxml", parse_html5))
    print(f"{'parser':<20} {'pages':>6} {'1 thread/s':>11} {'2 threads/s':>12} {'pages/cpu-s':>11} {'values':>9}")
    for name, parse in parsers:
        run(parse, pages[:20], 1)
        t1, cpu1, v1 = run(parse, pages, 1)
        t2, _, _ = run(parse, pages, 2)
        print(f"{name:<20} {len(pages):>6} {len(pages) / t1:>11.1f} {len(pages) / t2:>12.1f} "
              f"{len(pages) / cpu1:>11.1f} {v1:>9}", flush=True)
    rss = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
    print(f"python peak RSS: {rss:.0f} MB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
