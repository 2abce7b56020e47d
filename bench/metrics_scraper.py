"""Scrapes /metrics as Prometheus does: every EVERY seconds over one kept-alive connection, for
SECONDS seconds from its start (the first scrape at once).

usage: metrics_scraper.py URL EVERY SECONDS
Prints the scrapes made; exits 1 when one was not answered 200 with samples."""
import http.client
import sys
import time
import urllib.parse


def main():
    url, every, seconds = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
    address = urllib.parse.urlsplit(url)
    connection = http.client.HTTPConnection(address.hostname, address.port, timeout=30)
    start = time.monotonic()
    end = start + seconds
    scrapes = 0
    next_at = start
    while next_at < end:
        connection.request("GET", address.path)
        answer = connection.getresponse()
        body = answer.read()
        if answer.status != 200 or b"rotaryn_" not in body:
            print(f"metrics_scraper: scrape {scrapes + 1} answered {answer.status}", file=sys.stderr)
            return 1
        scrapes += 1
        next_at = start + scrapes * every
        time.sleep(max(0.0, min(next_at, end) - time.monotonic()))
    print(f"metrics_scraper: {scrapes} scrapes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
