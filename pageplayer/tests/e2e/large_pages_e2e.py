#!/usr/bin/env python3
"""End to end, from outside: the reader with books of large scanned pages.

Usage: large_pages_e2e.py SOURCE_DIR BIN_DIR PROBE_EXE WORK_DIR CHECK MAKE_BOOK
CHECK: held-keys (twelve Right presses 20 ms apart, then Home and each spread
in turn: every page shows its own picture) or memory (a book turned through to
its end: the reader's resident memory, read from /proc, stays within the
page cache's bound above what it held after the first spread).
The reader runs under Wine (scripts/wine-run) on the display given by DISPLAY.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "app", "tests"))
import e2e_support as e2e  # noqa: E402
from e2e_support import check, wait_for, windows_path, xdo  # noqa: E402

SOURCE, BIN, PROBE, WORK, CHECK, MAKE_BOOK = sys.argv[1:7]
READER = os.path.join(BIN, "reader.exe")
CAPTION = "Vell Book Reader--"
PAGE_SIZE = (2400, 3400)
PLACEHOLDER = (0xA0, 0xA0, 0xA0)
WAITING = (0xF4, 0xF4, 0xF4)
# The page player's cache bound (48 Mpx of 4 bytes) and some slack for the
# reader's own buffers of the pages being read.
CACHE_BOUND_MB = 192 + 64


def probe_client(prefix):
    """The client rectangle (x, y, w, h) on the screen of the window whose title starts with prefix."""
    with tempfile.TemporaryFile() as out:
        result = subprocess.run([e2e.wine_run(SOURCE), PROBE, "main", prefix], stdout=out,
                                stderr=subprocess.DEVNULL, timeout=120)
        out.seek(0)
        lines = out.read().decode("utf-8", errors="replace").replace("\r", "").splitlines()
    if result.returncode != 0:
        return None
    for line in lines:
        key, _, value = line.partition("=")
        if key == "client":
            return tuple(int(v) for v in value.split(","))
    return None


def page_colour(page):
    """A paper colour per page, far enough from its neighbours' to tell them apart."""
    hue = (page * 0.61803398875) % 1.0 * 6.0
    sector, f = int(hue), hue - int(hue)
    v, s = 0.9, 0.6
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][sector % 6]
    return int(r * 255), int(g * 255), int(b * 255)


def large_book(path, pages):
    """A book of pages the size of A4 scans at 300 dpi, each its own colour under grain."""
    folder = path + ".pages"
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    first = os.path.join(folder, "grain.png")
    subprocess.run(["convert", "-size", "%dx%d" % PAGE_SIZE, "xc:gray50", "-seed", "7", "-attenuate", "0.25",
                    "+noise", "Gaussian", first], check=True)
    for page in range(1, pages + 1):
        r, g, b = page_colour(page)
        subprocess.run(["convert", first, "-colorspace", "sRGB", "-type", "TrueColor", "-fill", "rgb(%d,%d,%d)" % (r, g, b), "-colorize", "95",
                        "-quality", "90", os.path.join(folder, "%03d.jpg" % page)], check=True)
    os.remove(first)
    subprocess.run([MAKE_BOOK, "--pages", folder, path], check=True, stdout=subprocess.DEVNULL)
    shutil.rmtree(folder, ignore_errors=True)
    return path


def spread_pages(client, shot, pages):
    """Which pages show left and right of the stage's middle in a screenshot: the
    average of a patch a third of the way down each half, matched to the page colours."""
    width, _, pixels = e2e.read_picture(shot)
    x, y, w, h = client

    def paper_at(px, py):
        total = [0, 0, 0]
        count = 0
        for dy in range(-6, 7):
            for dx in range(-6, 7):
                i = ((py + dy) * width + px + dx) * 3
                for c in range(3):
                    total[c] += pixels[i + c]
                count += 1
        pixel = tuple(t // count for t in total)
        if e2e.near(pixel, PLACEHOLDER, 12):
            return "placeholder"
        if e2e.near(pixel, WAITING, 12):
            return "blank"
        found = sorted(range(1, pages + 1), key=lambda page: sum(abs(a - b) for a, b in zip(pixel, page_colour(page))))
        best = found[0]
        return best if e2e.near(pixel, page_colour(best), 45) else pixel

    row = y + h // 3
    return paper_at(x + w // 2 - w // 8, row), paper_at(x + w // 2 + w // 8, row)


def resident_mb(pid):
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) / 1024.0
    except OSError:
        pass
    return None


def open_reader(book):
    process = e2e.start(SOURCE, READER, ["-s" + windows_path(book)])
    title = CAPTION + windows_path(book)
    client = wait_for(lambda: probe_client(title), timeout=120)
    window = e2e.wait_window("^Vell Book Reader--")
    if window:
        xdo("windowfocus", "--sync", window)
    return process, client, window


def shown_spread(client, folder, name, pages, expected, timeout=20):
    """The spread on screen once it is the expected one or the time is up."""
    seen = None
    deadline = time.time() + timeout
    while time.time() < deadline:
        seen = spread_pages(client, e2e.screenshot(os.path.join(folder, name)), pages)
        if seen == expected or "placeholder" in seen:
            break
        time.sleep(0.5)
    return seen


def opened_book(label, name, pages):
    """A fresh book of large pages opened in the reader, checked to show its first spread:
    (folder, process, client), client None when it did not open."""
    folder = os.path.join(WORK, label.replace(" ", "-"))
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    book = large_book(os.path.join(folder, name), pages)
    process, client, window = open_reader(book)
    if not check(client is not None and window is not None, f"{label}: the book opens"):
        return folder, process, None
    first = shown_spread(client, folder, "0-first.png", pages, (1, 2))
    check(first == (1, 2), f"{label}: the first spread shows pages 1 and 2 ({first})")
    return folder, process, client


def check_held_keys():
    pages = 26
    folder, process, client = opened_book("held keys", "Large.vlq", pages)
    try:
        if client is None:
            return
        for _ in range(12):
            xdo("key", "Right")
            time.sleep(0.02)
        seen = shown_spread(client, folder, "1-after-twelve.png", pages, (25, 26))
        check(seen == (25, 26), f"held keys: twelve presses land on pages 25 and 26 ({seen})")
        xdo("key", "Home")
        for left in range(1, pages + 1, 2):
            expected = (left, left + 1)
            seen = shown_spread(client, folder, "2-spread-%02d.png" % left, pages, expected)
            check(seen == expected, f"held keys: then spread {expected} shows its pictures ({seen})")
            xdo("key", "Right")
    finally:
        e2e.stop(process)


def check_memory():
    pages = 60
    folder, process, client = opened_book("memory", "Long.vlq", pages)
    try:
        if client is None:
            return
        time.sleep(3)
        start = resident_mb(process.pid)
        peak = start or 0
        for left in range(3, pages + 1, 2):
            xdo("key", "Right")
            time.sleep(0.6)
            peak = max(peak, resident_mb(process.pid) or 0)
        end_spread = shown_spread(client, folder, "1-last.png", pages, (pages - 1, pages))
        check(end_spread == (pages - 1, pages), f"memory: the book's last spread shows ({end_spread})")
        end = resident_mb(process.pid)
        print(f"resident memory: {start:.0f} MB after the first spread, peak {peak:.0f} MB, "
              f"{end:.0f} MB at the end of {pages} pages of {PAGE_SIZE[0]}x{PAGE_SIZE[1]}", flush=True)
        check(start is not None and peak - start <= CACHE_BOUND_MB,
              f"memory: the peak stays within {CACHE_BOUND_MB} MB of the first spread's")
        check(start is not None and end <= 1.25 * start, "memory: at the end at most 1.25 x the first spread's")
    finally:
        e2e.stop(process)


def main():
    os.makedirs(WORK, exist_ok=True)
    if not check(os.access(MAKE_BOOK, os.X_OK), "the book maker is built"):
        return 1
    with e2e.prefix_lock(SOURCE):
        try:
            {"held-keys": check_held_keys, "memory": check_memory}[CHECK]()
        finally:
            e2e.stop_all()
    return 1 if e2e.failures else 0


if __name__ == "__main__":
    sys.exit(main())
