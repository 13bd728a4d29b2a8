#!/usr/bin/env python3
"""Start-up and resting cost of the tray program under Wine, beside a minimal tray program.

Run by scripts/bench inside a Wine prefix of its own on a private X screen (DISPLAY, WINEPREFIX and
a `wine` on PATH are the caller's). For each run it starts, one after the other:

  vq.exe server=URL     the time from the start to its first request at the local access server
                        below and to its icon in the notification area (Wine's "Wine System Tray"
                        window being mapped on the X screen); its private memory once its first
                        status shows;
  the floor program     (one window, one Shell_NotifyIconW, a message loop) the time to its icon
                        and its private memory once the icon shows;
  vq_quick_passes.exe   vq.exe with the worker's pauses a thousandth as long: its private memory
                        once the first status shows and again after REPORTS more status reports.

Memory is read with vq_process_memory.exe (GetProcessMemoryInfo's commit charge, working set and
peak working set). Prints one line per program and run, then the best of the runs and the spread
(largest less smallest) of each figure. Exits non-zero when anything does not happen in time.
"""

import argparse
import http.server
import statistics
import subprocess
import sys
import threading
import time

from Xlib import X, display

TRAY_WINDOW_NAME = "Wine System Tray"
WAIT = 60.0  # seconds: a bound that only keeps a broken run from hanging the bench

# Account states that the server's answers go round, so that reports change the window's texts.
ACCOUNTS = [
    "blocked=0\r\nunlim=0\r\ndname=CORP%5Civanov\r\ntarif=Office\r\nbalans=1125%2E40\r\n"
    "day_balans=48%2E75\r\nmonth_fullpayment=1500\r\ntraf_currency=RUB\r\nis_static=0\r\n",
    "blocked=0\r\nunlim=1\r\ndname=CORP%5Civanov\r\ntarif=Unlimited\r\nbalans=310\r\n"
    "traf=5905580032\r\nday_traf=183500800\r\nis_static=0\r\n",
    "blocked=0\r\nunlim=0\r\ndname=CORP%5Civanov\r\ntarif=Economy\r\nbalans=-15%2E50\r\n"
    "day_balans=12%2E30\r\nmonth_fullpayment=500\r\ntraf_currency=RUB\r\nis_static=0\r\n",
]


class Failure(Exception):
    pass


class AccessServer:
    """A local access server as the client meets it: a GET without the session cookie is asked
    for credentials, a POST of them is answered with the account and sets the cookie, a GET with
    the cookie is answered with the account. Records when the first request of a run arrived and
    counts the status answers; once `hold_at` answers are given it holds the next one until
    hold_at is raised, so that memory is read after exactly that many reports."""

    def __init__(self):
        self.lock = threading.Condition()
        self.reset()
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def do_GET(self):
                server.arrived()
                if "vqsession=1" in (self.headers.get("Cookie") or ""):
                    self.status()
                else:
                    self.answer(b"server_need_auth_data\r\n")

            def do_POST(self):
                server.arrived()
                self.rfile.read(int(self.headers.get("Content-Length") or 0))
                self.status(cookie=True)

            def status(self, cookie=False):
                number = server.before_status()
                body = "server_status_ok\r\n" + ACCOUNTS[number % len(ACCOUNTS)]
                self.answer(body.encode(), cookie)
                server.after_status()

            def answer(self, body, cookie=False):
                self.send_response(200)
                self.send_header("Content-Type", "text/plain")
                self.send_header("Content-Length", str(len(body)))
                if cookie:
                    self.send_header("Set-Cookie", "vqsession=1; path=/")
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.http = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.http.daemon_threads = True
        self.url = "http://127.0.0.1:%d/" % self.http.server_address[1]
        threading.Thread(target=self.http.serve_forever, daemon=True).start()

    def reset(self, hold_at=None):
        with self.lock:
            self.first_request = None
            self.statuses = 0
            self.hold_at = hold_at

    def arrived(self):
        with self.lock:
            if self.first_request is None:
                self.first_request = time.monotonic()
            self.lock.notify_all()

    def before_status(self):
        with self.lock:
            self.lock.wait_for(lambda: self.hold_at is None or self.statuses < self.hold_at,
                               timeout=WAIT)
            return self.statuses

    def after_status(self):
        with self.lock:
            self.statuses += 1
            self.lock.notify_all()

    def wait_statuses(self, count, what):
        with self.lock:
            if not self.lock.wait_for(lambda: self.statuses >= count, timeout=WAIT * 5):
                raise Failure("%s: %d status answers, waited for %d" % (what, self.statuses, count))

    def hold(self, at):
        with self.lock:
            self.hold_at = at
            self.lock.notify_all()


class TrayWatcher:
    """Sees Wine's notification area window come and go on the X screen: Wine maps it when the
    first icon is added and unmaps it when the last one leaves."""

    def __init__(self):
        self.lock = threading.Condition()
        self.events = []  # (monotonic time, mapped)
        self.connection = display.Display()
        root = self.connection.screen().root
        root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.mapped = any(self.is_tray(w) and w.get_attributes().map_state == X.IsViewable
                          for w in root.query_tree().children)
        self.connection.sync()
        threading.Thread(target=self.watch, daemon=True).start()

    def is_tray(self, window):
        try:
            return window.get_wm_name() == TRAY_WINDOW_NAME
        except Exception:  # gone already
            return False

    def watch(self):
        while True:
            event = self.connection.next_event()
            if event.type not in (X.MapNotify, X.UnmapNotify):
                continue
            now = time.monotonic()
            if self.is_tray(event.window):
                with self.lock:
                    self.mapped = event.type == X.MapNotify
                    self.events.append((now, self.mapped))
                    self.lock.notify_all()

    def wait_mapped_after(self, start, what):
        with self.lock:
            found = lambda: next((t for t, m in self.events if m and t >= start), None)
            if not self.lock.wait_for(lambda: found() is not None, timeout=WAIT):
                raise Failure("%s: no icon in the notification area within %d s" % (what, WAIT))
            return found()

    def wait_unmapped(self, what):
        with self.lock:
            if not self.lock.wait_for(lambda: not self.mapped, timeout=WAIT):
                raise Failure("%s: the notification area still shows an icon" % what)


class Bench:
    def __init__(self, args):
        self.args = args
        self.server = AccessServer()
        self.tray = TrayWatcher()

    def start(self, program, *arguments):
        return time.monotonic(), subprocess.Popen(
            ["wine", program, *arguments], stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def memory(self, image):
        """The first process named image: private, working set, peak working set (KiB)."""
        out = subprocess.run(["wine", self.args.memory, image], capture_output=True, text=True,
                             timeout=WAIT)
        fields = dict(item.split("=") for line in out.stdout.splitlines()[:1]
                      for item in line.split())
        if out.returncode != 0 or "private" not in fields:
            raise Failure("vq_process_memory %s: %s" % (image, (out.stderr or out.stdout).strip()))
        return tuple(int(fields[k]) // 1024 for k in ("private", "working_set", "peak_working_set"))

    def stop(self, image, process):
        # As a user ends it: WM_CLOSE to its windows (the icon leaves the notification area).
        subprocess.run(["wine", "taskkill", "/im", image], capture_output=True, timeout=WAIT)
        try:
            process.wait(timeout=WAIT / 2)
        except subprocess.TimeoutExpired:
            subprocess.run(["wine", "taskkill", "/f", "/im", image], capture_output=True,
                           timeout=WAIT)
            process.wait(timeout=WAIT / 2)
            raise Failure("%s did not end on WM_CLOSE" % image)
        self.tray.wait_unmapped(image)

    def run_vq(self, program, image):
        self.server.reset()
        start, process = self.start(program, "server=" + self.server.url)
        try:
            icon = self.tray.wait_mapped_after(start, image)
            self.server.wait_statuses(1, image)
            first_request = self.server.first_request
            time.sleep(self.args.settle)
            memory = self.memory(image)
        finally:
            self.stop(image, process)
        return {"request": (first_request - start) * 1000, "icon": (icon - start) * 1000,
                "memory": memory}

    def run_floor(self):
        image = self.args.floor.rsplit("/", 1)[-1]
        start, process = self.start(self.args.floor)
        try:
            icon = self.tray.wait_mapped_after(start, image)
            time.sleep(self.args.settle)
            memory = self.memory(image)
        finally:
            self.stop(image, process)
        return {"icon": (icon - start) * 1000, "memory": memory}

    def run_reports(self):
        image = self.args.quick.rsplit("/", 1)[-1]
        reports = self.args.reports
        self.server.reset(hold_at=1)
        start, process = self.start(self.args.quick, "server=" + self.server.url)
        try:
            self.tray.wait_mapped_after(start, image)
            self.server.wait_statuses(1, image)
            time.sleep(self.args.settle)
            before = self.memory(image)
            began = time.monotonic()
            self.server.hold(1 + reports)
            self.server.wait_statuses(1 + reports, image)
            took = time.monotonic() - began
            time.sleep(self.args.settle)  # the last report handled; the next answer is held
            after = self.memory(image)
        finally:
            self.server.hold(None)
            self.stop(image, process)
        return {"before": before, "after": after, "seconds": took}


def spread(values):
    return "%d (spread %d)" % (min(values), max(values) - min(values))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--vq", required=True)
    parser.add_argument("--quick", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--memory", required=True)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--reports", type=int, default=1000)
    parser.add_argument("--settle", type=float, default=2.0,
                        help="seconds between the first status (or icon) and reading memory")
    args = parser.parse_args()
    bench = Bench(args)

    # Wine's own start (its desktop process and notification area, the DLLs read from disk) is
    # paid once, before anything is timed.
    bench.run_floor()
    bench.run_vq(args.vq, "vq.exe")

    vq_runs, floor_runs, report_runs = [], [], []
    for run in range(1, args.runs + 1):
        v = bench.run_vq(args.vq, "vq.exe")
        vq_runs.append(v)
        print("   run %d  vq.exe     first request %5.0f ms  icon %5.0f ms  private %6d KiB  "
              "working set %6d KiB  peak %6d KiB" % ((run, v["request"], v["icon"]) + v["memory"]))
        f = bench.run_floor()
        floor_runs.append(f)
        print("   run %d  floor                          icon %5.0f ms  private %6d KiB  "
              "working set %6d KiB  peak %6d KiB" % ((run, f["icon"]) + f["memory"]))
        r = bench.run_reports()
        report_runs.append(r)
        print("   run %d  quick passes  private %6d KiB after the first status, %6d KiB after %d "
              "more reports (%.0f s); working set %d -> %d KiB, peak %d -> %d KiB"
              % (run, r["before"][0], r["after"][0], args.reports, r["seconds"],
                 r["before"][1], r["after"][1], r["before"][2], r["after"][2]))
        sys.stdout.flush()

    print("   best of %d (spread = largest less smallest)" % args.runs)
    print("   vq.exe   first request %s ms, icon in the tray %s ms"
          % (spread([round(v["request"]) for v in vq_runs]),
             spread([round(v["icon"]) for v in vq_runs])))
    print("   floor    icon in the tray %s ms" % spread([round(f["icon"]) for f in floor_runs]))
    print("   vq.exe   private after start-up %s KiB, working set %s KiB"
          % (spread([v["memory"][0] for v in vq_runs]), spread([v["memory"][1] for v in vq_runs])))
    print("   floor    private after start-up %s KiB, working set %s KiB"
          % (spread([f["memory"][0] for f in floor_runs]),
             spread([f["memory"][1] for f in floor_runs])))
    growth = [r["after"][0] - r["before"][0] for r in report_runs]
    print("   vq (quick passes) private after the first status %s KiB, after %d reports %s KiB; "
          "growth median %d KiB" % (spread([r["before"][0] for r in report_runs]), args.reports,
                                    spread([r["after"][0] for r in report_runs]),
                                    statistics.median(growth)))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as failure:
        print("start_and_rest: %s" % failure, file=sys.stderr)
        sys.exit(1)
