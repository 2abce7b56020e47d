"""Consoles polling a host as the web console's servers page does: every 2 s the profile list
with each profile's status (GET /api/v1/status, with If-None-Match naming the list it holds and
?wait=25, so the host answers when the list changes), on one kept-alive connection per
console.

usage: console_poll_client.py URL TOKEN CONSOLES SECONDS
Prints the requests made and refused; exits 1 when any was refused."""
import http.client
import json
import sys
import threading
import time
import urllib.parse

POLL_S = 2.0


def console(url, token, seconds, counts):
    address = urllib.parse.urlsplit(url)
    connection = http.client.HTTPConnection(address.hostname, address.port, timeout=30)
    headers = {"Authorization": f"Bearer {token}"}

    tag = ""

    def get_status():
        # As the page asks: with the version of the list it holds, answered when the list
        # changes or after 25 s (no later than the run's end) with 304.
        nonlocal tag
        wait = max(1, min(25, int(end - time.monotonic())))
        path = f"/api/v1/status?wait={wait}" if tag else "/api/v1/status"
        connection.request("GET", path,
                           headers=dict(headers, **({"If-None-Match": tag} if tag else {})))
        answer = connection.getresponse()
        body = answer.read()
        counts["requests"] += 1
        if answer.status == 304:
            counts["unchanged"] += 1
            return
        if answer.status != 200 or not json.loads(body)["profiles"]:
            counts["refused"] += 1
            return
        tag = answer.getheader("ETag") or ""

    end = time.monotonic() + seconds
    while time.monotonic() < end:
        started = time.monotonic()
        get_status()
        time.sleep(max(0.0, POLL_S - (time.monotonic() - started)))
    connection.close()


def main():
    url, token, consoles, seconds = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4])
    counts = {"requests": 0, "refused": 0, "unchanged": 0}
    threads = []
    for i in range(consoles):
        # Consoles are opened at different moments, not in step.
        threads.append(threading.Thread(target=console, args=(url, token, seconds, counts)))
        threads[-1].start()
        time.sleep(POLL_S / consoles)
    for thread in threads:
        thread.join()
    print(f"{counts['requests']} requests, {counts['unchanged']} unchanged, "
          f"{counts['refused']} refused")
    return 1 if counts["refused"] else 0


if __name__ == "__main__":
    sys.exit(main())
