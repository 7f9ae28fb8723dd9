#!/usr/bin/env python3
"""End to end, from outside: the reader with books of large scanned pages.

Usage: large_pages_e2e.py SOURCE_DIR BIN_DIR PROBE_EXE WORK_DIR CHECK MAKE_BOOK
CHECK: held-keys (twelve Right presses 20 ms apart, then Home and each spread
in turn: every page shows its own picture), memory (a book turned through to
its end: the reader's resident memory, read from /proc, stays within the
page cache's bound above what it held after the first spread) or zoom (a black
square on page 1 grows with Ctrl+Plus, follows a drag, goes back with Ctrl+0;
the wheel turns the page).
The reader runs under Wine (scripts/wine-run) on the display given by DISPLAY.
"""
import os
import shutil
import subprocess
import sys
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
    info = e2e.probe_window(SOURCE, PROBE, prefix)
    return info["client"] if info else None


def page_colour(page):
    """A paper colour per page, far enough from its neighbours' to tell them apart."""
    return e2e.hue_walk_colour(page, 0.9, 0.6)


# A black square on page 1 of a zoom check's book, in page pixels.
SQUARE = (1560, 1800, 2040, 2280)


def large_book(path, pages, square=False):
    """A book of pages the size of A4 scans at 300 dpi, each its own colour under grain;
    with square, page 1 carries a black square."""
    folder = path + ".pages"
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    first = os.path.join(folder, "grain.png")
    subprocess.run(["convert", "-size", "%dx%d" % PAGE_SIZE, "xc:gray50", "-seed", "7", "-attenuate", "0.25",
                    "+noise", "Gaussian", first], check=True)
    for page in range(1, pages + 1):
        r, g, b = page_colour(page)
        drawn = ["-fill", "black", "-draw", "rectangle %d,%d %d,%d" % SQUARE] if square and page == 1 else []
        subprocess.run(["convert", first, "-colorspace", "sRGB", "-type", "TrueColor", "-fill", "rgb(%d,%d,%d)" % (r, g, b), "-colorize", "95",
                        *drawn, "-quality", "90", os.path.join(folder, "%03d.jpg" % page)], check=True)
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


def opened_book(label, name, pages, square=False):
    """A fresh book of large pages opened in the reader, checked to show its first spread:
    (folder, process, client), client None when it did not open."""
    folder = os.path.join(WORK, label.replace(" ", "-"))
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    book = large_book(os.path.join(folder, name), pages, square)
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


def black_square(client, shot):
    """(left, top, right, bottom) of the black pixels on the stage, above the page numbers, or None."""
    width, _, pixels = e2e.read_picture(shot)
    x, y, w, h = client
    xs, ys = [], []
    for py in range(y, y + h - 36):
        row = py * width * 3
        for px in range(x, x + w):
            i = row + px * 3
            if pixels[i] < 40 and pixels[i + 1] < 40 and pixels[i + 2] < 40:
                xs.append(px)
                ys.append(py)
    return (min(xs), min(ys), max(xs), max(ys)) if xs else None


def square_after(client, folder, name, settle=1.5):
    time.sleep(settle)
    return black_square(client, e2e.screenshot(os.path.join(folder, name)))


def check_zoom():
    pages = 6
    folder, process, client = opened_book("zoom", "Zoom.vlq", pages, square=True)
    try:
        if client is None:
            return
        fitted = square_after(client, folder, "1-fitted.png")
        if not check(fitted is not None, "zoom: the square shows on the first spread"):
            return
        size = lambda box: box[2] - box[0] + 1
        centre = lambda box: ((box[0] + box[2]) / 2.0, (box[1] + box[3]) / 2.0)
        xdo("key", "ctrl+plus")
        xdo("key", "ctrl+plus")
        zoomed = square_after(client, folder, "2-ctrl-plus-twice.png", 3)
        check(zoomed is not None and abs(size(zoomed) - size(fitted) * 1.5625) <= 4,
              f"zoom: Ctrl+Plus twice makes the square 1.56 times as large ({fitted} then {zoomed})")
        x, y, w, h = client
        start = (x + w // 2, y + h // 2)
        xdo("mousemove", *start)
        xdo("mousedown", "1")
        for step in range(1, 7):
            xdo("mousemove", start[0] + step * 20, start[1] + step * 10)
            time.sleep(0.05)
        xdo("mouseup", "1")
        dragged = square_after(client, folder, "3-dragged.png")
        moved = None
        if zoomed and dragged:
            moved = (centre(dragged)[0] - centre(zoomed)[0], centre(dragged)[1] - centre(zoomed)[1])
        check(moved is not None and abs(moved[0] - 120) <= 3 and abs(moved[1] - 60) <= 3,
              f"zoom: dragging by 120, 60 moves the square with the pointer ({moved})")
        xdo("key", "ctrl+0")
        again = square_after(client, folder, "4-ctrl-0.png")
        check(again is not None and all(abs(a - b) <= 2 for a, b in zip(again, fitted)),
              f"zoom: Ctrl+0 shows the spread fitted again ({again})")
        xdo("click", "5")
        seen = shown_spread(client, folder, "5-wheel.png", pages, (3, 4))
        check(seen == (3, 4), f"zoom: a notch of the wheel turns to pages 3 and 4 ({seen})")
    finally:
        e2e.stop(process)


def main():
    os.makedirs(WORK, exist_ok=True)
    if not check(os.access(MAKE_BOOK, os.X_OK), "the book maker is built"):
        return 1
    with e2e.prefix_lock(SOURCE):
        try:
            {"held-keys": check_held_keys, "memory": check_memory, "zoom": check_zoom}[CHECK]()
        finally:
            e2e.stop_all()
    return 1 if e2e.failures else 0


if __name__ == "__main__":
    sys.exit(main())
