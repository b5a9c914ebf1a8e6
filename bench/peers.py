#!/usr/bin/env python3
"""zemra-telvo beside two peers that only copy bytes to their terminal (picocom and tio).

Each program runs in its own tmux pane of 100x40 on the slave of a fresh pseudo-terminal; this
script plays the module on the master, writing text lines of 66 bytes. The programs take turns,
RUNS rounds (5 by default), so that a shared machine's load weighs on all alike; the figures are
medians. Measured for every program:
  slow     own CPU (all threads, from /proc) per MB at 11,520 B/s (115200 baud) for 10 s
  steady   the same at a steady 1 MB/s for 5 s
  flood16  seconds from the first byte of a 16 MiB flood until the pane shows its last line
  latency  median seconds from the write of a single line until the pane shows it (20 lines)
and for zemra-telvo against cat (head -c on the same kind of pty):
  flood64  seconds to drain a 64 MiB flood (until the program has read it all, from /proc), with
           the transfer menu opened in the middle of it; the menu must show within half a
           second, and the Received counter must then show every byte. zemra-telvo drains it
           twice in each round, with its history (the default) and with --history-size 0.
A peer that is not installed is named and left out. Needs build/bin/zemra-telvo (or BIN=...).
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import termios
import time
import tty

BIN = os.environ.get("BIN", os.path.join(os.path.dirname(__file__), "..", "build", "bin"))
RUNS = int(os.environ.get("RUNS", "5"))
LINE = 66
MB = 1_000_000


def line_bytes(n):
    """Line number n: 66 bytes, ending in CR LF."""
    head = b"%08d " % n
    return head + b"abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTU"[: LINE - 2 - len(head)] + b"\r\n"


def lines(count, first=0):
    return b"".join(line_bytes(first + i) for i in range(count))


class Pty:
    """A pseudo-terminal whose master this script writes as the module."""

    def __init__(self, directory):
        self.master, slave = os.openpty()
        tty.setraw(slave)  # as a serial line: no echo, no line editing
        self.path = os.path.join(directory, "module-%d" % self.master)
        os.symlink(os.ttyname(slave), self.path)
        os.close(slave)

    def write(self, data):
        view = memoryview(data)
        while view:
            view = view[os.write(self.master, view):]

    def close(self):
        os.close(self.master)
        os.unlink(self.path)


class Pane:
    """One program in a detached tmux session of 100x40."""

    count = 0

    def __init__(self, name, command):
        Pane.count += 1
        self.session = "zt-peers-%d-%d-%s" % (os.getpid(), Pane.count, name)
        for attempt in range(3):  # a server that is just ending takes no new session
            try:
                self.tmux("new-session", "-d", "-s", self.session, "-x", "100", "-y", "40",
                          "exec " + command)
                break
            except RuntimeError:
                if attempt == 2:
                    raise
                time.sleep(0.5)
        self.tmux("set-option", "-t", self.session, "remain-on-exit", "on")
        self.pid = int(self.tmux("display-message", "-p", "-t", self.session, "#{pane_pid}"))

    @staticmethod
    def tmux(*args):
        done = subprocess.run(["tmux", *args], capture_output=True, text=True)
        if done.returncode != 0:
            raise RuntimeError("tmux %s: %s" % (" ".join(args), done.stderr.strip()))
        return done.stdout

    def screen(self):
        return self.tmux("capture-pane", "-p", "-t", self.session)

    def keys(self, *keys):
        self.tmux("send-keys", "-t", self.session, *keys)

    def click(self, text):
        """Clicks the first cell of `text` on the screen."""
        for y, row in enumerate(self.screen().splitlines()):
            x = row.find(text)
            if x >= 0:
                cell = chr(33 + x) + chr(33 + y)
                self.keys("-l", "\x1b[M " + cell + "\x1b[M#" + cell)
                return
        raise RuntimeError("no %r on the screen of %s:\n%s" % (text, self.session, self.screen()))

    def wait_for(self, text, limit=30.0, interval=0.002):
        """Seconds until the screen shows `text` (polled); an error after `limit`."""
        start = time.monotonic()
        while text not in self.screen():
            if time.monotonic() - start > limit:
                raise RuntimeError("no %r within %g s:\n%s" % (text, limit, self.screen()))
            time.sleep(interval)
        return time.monotonic() - start

    def cpu(self):
        """CPU seconds of the program, all its threads (their run time in nanoseconds)."""
        total = 0
        for task in os.listdir("/proc/%d/task" % self.pid):
            try:
                with open("/proc/%d/task/%s/schedstat" % (self.pid, task)) as stat:
                    total += int(stat.read().split()[0])
            except FileNotFoundError:
                pass  # a thread that has just ended
        return total / 1e9

    def bytes_read(self):
        """Bytes the program has read from descriptors so far (all of them, its terminal too)."""
        with open("/proc/%d/io" % self.pid) as io:
            return int(next(line for line in io if line.startswith("rchar:")).split()[1])

    def close(self):
        subprocess.run(["tmux", "kill-session", "-t", self.session], capture_output=True)


class Program:
    """How to start one program on a module's pty and bring it to where it shows what comes."""

    def __init__(self, name, command, ready):
        self.name, self.command, self.ready = name, command, ready

    def installed(self):
        return shutil.which(self.command.split()[0]) is not None

    def start(self, pty, directory, options=""):
        pane = Pane(self.name, self.command.format(pty=pty.path, dir=directory) + options)
        try:
            self.ready(pane, pty)
        except Exception:
            pane.close()
            raise
        return pane


def telvo_ready(pane, pty):
    """From the main screen to the transfer screen of the module."""
    pane.wait_for("Accessory Devices List")
    pane.click("Accessory Devices List")
    pane.wait_for(pty.path)
    pane.click(pty.path)
    pane.wait_for("Received")


def peer_ready(banner):
    def ready(pane, _pty):
        pane.wait_for(banner)
    return ready


PROGRAMS = [
    Program("zemra-telvo",
            os.path.abspath(os.path.join(BIN, "zemra-telvo")) +
            " --no-demo --data-dir {dir} --device {pty}", telvo_ready),
    Program("picocom", "picocom -b 115200 {pty}", peer_ready("Terminal ready")),
    Program("tio", "tio -b 115200 {pty}", peer_ready("Connected")),
]


# ALSO=NAME=PATH adds another build of zemra-telvo (say, the one before a change) to compare.
if os.environ.get("ALSO"):
    _name, _path = os.environ["ALSO"].split("=", 1)
    PROGRAMS.insert(1, Program(_name, os.path.abspath(_path) +
                               " --no-demo --data-dir {dir} --device {pty}", telvo_ready))


def feed(pty, rate, seconds, first):
    """Writes lines at `rate` bytes a second for `seconds`; returns the next line number."""
    count = int(rate * seconds) // LINE
    data = lines(count, first)
    start = time.monotonic()
    sent = 0
    while sent < count:
        due = min(count, int((time.monotonic() - start) * rate / LINE) + 1)
        if due > sent:
            pty.write(data[sent * LINE:due * LINE])
            sent = due
        pause = start + sent * LINE / rate - time.monotonic()
        time.sleep(max(pause, 0.0005))
    return first + count


def shown(number):
    """What the pane shows of line `number`."""
    return line_bytes(number)[:20].decode()


def cpu_per_mb(pane, pty, rate, seconds, first):
    """CPU milliseconds per MB while lines come at `rate` until the last one is shown."""
    before = pane.cpu()
    end = feed(pty, rate, seconds, first)
    pane.wait_for(shown(end - 1))
    return (pane.cpu() - before) * 1000 / ((end - first) * LINE / MB), end


def flood(pane, pty, size, first):
    """Seconds from the first byte of `size` bytes written at once until the last is shown."""
    count = size // LINE
    data = lines(count, first)
    start = time.monotonic()
    pty.write(data)
    pane.wait_for(shown(first + count - 1), limit=300, interval=0.005)
    return time.monotonic() - start, first + count


def latency(pane, pty, first, count=20):
    """Median seconds from the write of one line until the pane shows it, on an idle pane."""
    delays = []
    for number in range(first, first + count):
        time.sleep(0.2)
        start = time.monotonic()
        pty.write(line_bytes(number))
        pane.wait_for(shown(number), interval=0)
        delays.append(time.monotonic() - start)
    return statistics.median(delays), first + count


class Writer:
    """Writes `data` to a pty's master on a thread of its own, counting what went."""

    def __init__(self, pty, data):
        import threading
        self.pty, self.data, self.written = pty, memoryview(data), 0
        self.thread = threading.Thread(target=self.run)
        self.thread.start()

    def run(self):
        while self.written < len(self.data):
            self.written += os.write(self.pty.master, self.data[self.written:self.written + 65536])


def flood_cat(directory, data):
    """Seconds cat (head -c) takes to drain `data` from a pty."""
    pty = Pty(directory)
    reader = subprocess.Popen(["head", "-c", str(len(data)), pty.path], stdout=subprocess.DEVNULL)
    time.sleep(0.2)  # head has opened the slave
    start = time.monotonic()
    writer = Writer(pty, data)
    reader.wait()
    elapsed = time.monotonic() - start
    writer.thread.join()
    pty.close()
    return elapsed


def flood_telvo(program, directory, data, options=""):
    """Seconds a build of zemra-telvo takes to drain `data`, and seconds its menu took to show
    when opened halfway; then checks that the Received counter shows every byte. The end is
    seen in /proc, not on the screen: asking tmux for the screen every few milliseconds would
    take a good part of a core from the flood."""
    pty = Pty(directory)
    pane = program.start(pty, directory, options)
    try:
        before = pane.bytes_read()
        start = time.monotonic()
        writer = Writer(pty, data)
        while writer.written < len(data) // 2:
            time.sleep(0.001)
        pane.keys("F2")
        menu = pane.wait_for("1  Settings", limit=30, interval=0.005)
        pane.keys("Escape")
        while pane.bytes_read() - before < len(data):
            if time.monotonic() - start > 300:
                raise RuntimeError("%s drained %d of %d bytes in 300 s"
                                   % (program.name, pane.bytes_read() - before, len(data)))
            time.sleep(0.001)
        elapsed = time.monotonic() - start
        writer.thread.join()
        pane.wait_for(" %d\n" % len(data), limit=30, interval=0.05)
        return elapsed, menu
    finally:
        pane.close()
        pty.close()


MEASURES = {
    "slow": lambda pane, pty, at: cpu_per_mb(pane, pty, 11_520, 10, at),
    "steady": lambda pane, pty, at: cpu_per_mb(pane, pty, MB, 5, at),
    "latency": latency,
    "flood16": lambda pane, pty, at: flood(pane, pty, 16 << 20, at),
}
# MEASURES=slow,steady (for instance) runs only those; flood64 is one of the names.
CHOSEN = os.environ.get("MEASURES", ",".join(list(MEASURES) + ["flood64"])).split(",")


def round_of(program, directory, figures):
    pty = Pty(directory)
    pane = program.start(pty, directory)
    try:
        at = 0
        for name, measure in MEASURES.items():
            if name in CHOSEN:
                figure, at = measure(pane, pty, at)
                figures.setdefault((program.name, name), []).append(figure)
    finally:
        pane.close()
        pty.close()


def flood_runs(telvos):
    """The 64 MiB floods of one round: cat, then each build of zemra-telvo with its history and
    with --history-size 0, as (name, drain) pairs."""
    def cat(directory, data, figures):
        figures.setdefault(("cat", "flood64"), []).append(flood_cat(directory, data))

    def telvo(program, options, measure):
        def drain(directory, data, figures):
            seconds, menu = flood_telvo(program, directory, data, options)
            figures.setdefault((program.name, measure), []).append(seconds)
            figures.setdefault((program.name, "menu"), []).append(menu)
        return drain

    runs = [("cat", cat)]
    for program in telvos:
        runs.append((program.name, telvo(program, "", "flood64")))
        runs.append((program.name + " --history-size 0",
                     telvo(program, " --history-size 0", "flood64 off")))
    return runs


def main():
    programs = [p for p in PROGRAMS if p.installed()]
    for p in PROGRAMS:
        if p not in programs:
            print("%s is not installed: left out" % p.name)
    if PROGRAMS[0] not in programs:
        sys.exit("no %s (build it first)" % PROGRAMS[0].command.split()[0])
    only = os.environ.get("ONLY", "")
    programs = [p for p in programs if not only or p.name in only.split(",")]
    figures = {}
    flood_data = lines((64 << 20) // LINE + 1)[: 64 << 20]
    with tempfile.TemporaryDirectory() as directory:
        for run in range(RUNS):
            for program in programs if run % 2 == 0 else reversed(programs):
                round_of(program, directory, figures)
            if "zemra-telvo" in [p.name for p in programs] and "flood64" in CHOSEN:
                floods = flood_runs([p for p in programs if p.ready is telvo_ready])
                for name, drain in floods if run % 2 == 0 else reversed(floods):
                    drain(directory, flood_data, figures)
            print("round %d of %d done" % (run + 1, RUNS), file=sys.stderr)
    report(programs, figures)


def report(programs, figures):
    def median(name, measure, scale=1.0, form="%.0f"):
        values = figures.get((name, measure))
        return form % (statistics.median(values) * scale) if values else "-"

    rows = [("own CPU per MB at 11,520 B/s, 10 s (ms)", "slow", 1, "%.0f"),
            ("own CPU per MB at 1 MB/s, 5 s (ms)", "steady", 1, "%.0f"),
            ("16 MiB flood, first byte to last line shown (s)", "flood16", 1, "%.2f"),
            ("latency, write to pane, median of 20 (ms)", "latency", 1000, "%.1f")]
    names = [p.name for p in programs]
    print("| measure | " + " | ".join(names) + " |")
    print("|---|" + "---|" * len(names))
    for title, measure, scale, form in rows:
        print("| %s | %s |" % (title, " | ".join(median(n, measure, scale, form) for n in names)))
    for name in names:
        if (name, "flood64") not in figures:
            continue
        telvo = statistics.median(figures[(name, "flood64")])
        off = statistics.median(figures[(name, "flood64 off")])
        cat = statistics.median(figures[("cat", "flood64")])
        menu = max(figures[(name, "menu")])
        print("64 MiB flood drained: %s %.2f s, cat %.2f s, rate %.2fx cat (goal 0.9); "
              "menu shown in %.0f ms at most (goal 500)" % (name, telvo, cat, cat / telvo,
                                                             menu * 1000))
        print("  with --history-size 0: %.2f s; the history keeps %.2f of that rate (goal 0.9)"
              % (off, off / telvo))
        for measure, who in (("flood64", "cat"), ("flood64", name), ("flood64 off", name)):
            print("  rounds, %s%s: %s" % (who, " --history-size 0" if "off" in measure else "",
                                          " ".join("%.2f" % v for v in figures[(who, measure)])))
    print("(medians of %d rounds)" % RUNS)


if __name__ == "__main__":
    main()
