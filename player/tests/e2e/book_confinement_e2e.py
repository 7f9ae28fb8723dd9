#!/usr/bin/env python3
"""End to end, from outside: a book cannot reach the disk, and a hostile page
list costs the reader a bounded amount of memory.

Usage: book_confinement_e2e.py SOURCE_DIR READER_EXE PROBE_EXE MAKE_BOOK WORK_DIR CHECK
CHECK: outside  - pages naming "../" paths, a rooted path, a drive path, a
                  file: URL and a name the book lacks (with a picture planted
                  where a disk fall-back would find it) each show the
                  placeholder; the picture is never opened (inotify on its
                  folders); the pages the book does hold still show.
       longlist - a page list of 5 million pages: the reader stays up, shows
                  no page, and its peak memory stays below the bound.
The reader runs under Wine in the project's private prefix on DISPLAY and is
killed by its own process id.
"""
import ctypes
import ctypes.util
import os
import shutil
import struct
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "app", "tests"))
import e2e_support as e2e  # noqa: E402
from e2e_support import check, wait_for, windows_path, xdo  # noqa: E402

SOURCE, READER, PROBE, MAKE_BOOK, WORK, CHECK = sys.argv[1:7]
CAPTION = "Vell Book Reader--"
PLACEHOLDER = (0xA0, 0xA0, 0xA0)
PLANTED = (0xE0, 0x10, 0x10)  # the picture outside the book
# Peak resident memory of the reader with a 5-million-page list, over its
# peak with a small book in the same run, in copies of the list: the list
# travels as bytes (the reader's extraction, the answer's buffer, the
# player's download as it grows) and the parse refuses it before building
# any page.
LONG_LIST_COPIES = 4.5


def probe_main(prefix):
    return e2e.probe_window(SOURCE, PROBE, prefix)


class OpenWatch:
    """Every open or read of a file in the watched folders, through inotify."""
    IN_ACCESS, IN_OPEN = 0x1, 0x20

    def __init__(self, folders):
        self.libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK)
        for folder in folders:
            self.libc.inotify_add_watch(self.fd, folder.encode(), self.IN_ACCESS | self.IN_OPEN)

    def events(self):
        found = []
        while True:
            try:
                data = os.read(self.fd, 65536)
            except BlockingIOError:
                return found
            at = 0
            while at < len(data):
                _, mask, _, length = struct.unpack_from("iIII", data, at)
                name = data[at + 16:at + 16 + length].rstrip(b"\0").decode(errors="replace")
                found.append((name, mask))
                at += 16 + length

    def close(self):
        os.close(self.fd)


def classify(pixel):
    if e2e.near(pixel, PLACEHOLDER, 12):
        return "placeholder"
    if e2e.near(pixel, PLANTED, 60):
        return "planted"
    return "page"


def spread(info, shot):
    """What shows left and right of the stage's middle, a third of the way down."""
    width, _, pixels = e2e.read_picture(shot)
    x, y, w, h = info["client"]

    def at(px, py):
        i = (py * width + px) * 3
        return classify(tuple(pixels[i:i + 3]))

    row = y + h // 3
    return at(x + w // 2 - w // 8, row), at(x + w // 2 + w // 8, row)


def stage_is_bare(info, shot):
    """Where pages would show, only the stage's background (the colour of its corner)."""
    width, _, pixels = e2e.read_picture(shot)
    x, y, w, h = info["client"]

    def at(px, py):
        i = (py * width + px) * 3
        return tuple(pixels[i:i + 3])

    background = at(x + 4, y + h - 4)
    row = y + h // 3
    return all(e2e.near(at(px, row), background, 6) for px in (x + w // 2 - w // 8, x + w // 2 + w // 8))


def book_with_pages(path, pages, demo):
    """The demo book with its page list replaced."""
    config = "<book title=\"outside\">" + "".join(f"<page src=\"{page}\"/>" for page in pages) + "</book>"
    with zipfile.ZipFile(demo) as original, zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as book:
        for entry in original.infolist():
            if entry.filename != "files/config.xml":
                book.writestr(entry, original.read(entry))
        book.writestr("files/config.xml", config)
    return path


def check_outside():
    folder = os.path.join(WORK, "outside")
    shutil.rmtree(folder, ignore_errors=True)
    outside, cwd = os.path.join(folder, "elsewhere"), os.path.join(folder, "cwd")
    os.makedirs(outside)
    os.makedirs(os.path.join(cwd, "files"))
    planted = os.path.join(outside, "photo.jpg")
    subprocess.run(["convert", "-size", "600x800", "xc:rgb(%d,%d,%d)" % PLANTED, planted], check=True)
    # Where the old fall-back looked: the current folder joined with the name.
    shutil.copy(planted, os.path.join(cwd, "files", "missing.jpg"))
    demo = os.path.join(folder, "demo.vlq")
    subprocess.run([MAKE_BOOK, "--demo", "3", demo], check=True, stdout=subprocess.DEVNULL)

    unix = os.path.abspath(planted)
    pages = [
        ("files/pages/001.jpg", "page"),
        ("../" * 12 + unix.lstrip("/"), "placeholder"),
        (unix, "placeholder"),                           # rooted
        (windows_path(unix), "placeholder"),             # drive
        ("file:///" + windows_path(unix).replace("\\", "/"), "placeholder"),
        ("files/missing.jpg", "placeholder"),            # not in the book, planted beside the cwd
        ("files/pages/../pages/002.jpg", "page"),        # dot segments inside the book
        ("files/pages/003.jpg", "page"),
    ]
    book = book_with_pages(os.path.join(folder, "Outside.vlq"), [name for name, _ in pages], demo)
    log = os.path.join(folder, "reader.log")
    watch = OpenWatch([outside, os.path.join(cwd, "files")])
    os.chdir(cwd)
    process = e2e.start(SOURCE, READER, ["-s" + windows_path(book)], env={"VELL_READER_LOG": windows_path(log)})
    try:
        info = wait_for(lambda: probe_main(CAPTION))
        if not check(info is not None, "outside: the book opens"):
            return
        xdo("windowfocus", "--sync", e2e.find_windows("^" + CAPTION)[0])
        for index in range(0, len(pages), 2):
            if index:
                xdo("key", "Right")
            time.sleep(3)
            shown = spread(info, e2e.screenshot(os.path.join(folder, f"spread-{index // 2 + 1}.png")))
            for side in range(2):
                name, expected = pages[index + side]
                check(shown[side] == expected, f"outside: page {index + side + 1} [{name}] shows {expected} ({shown[side]})")
    finally:
        e2e.stop(process)
        os.chdir(WORK)
    opened = watch.events()
    watch.close()
    check(not opened, f"outside: nothing outside the book was opened ({opened[:5]})")
    logged = open(log, encoding="latin-1").read() if os.path.exists(log) else ""
    for name in ("files/pages/001.jpg", "files/missing.jpg", "files/pages/002.jpg"):
        check(f"[{name}]" in logged, f"outside: the log names the request for {name}")
    check("To load url 44_________[files/missing.jpg]" not in logged, "outside: the missing page was not answered")


def peak_mb(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) // 1024
    except OSError:
        pass
    return None


def check_longlist():
    folder = os.path.join(WORK, "longlist")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    demo = os.path.join(folder, "demo.vlq")
    subprocess.run([MAKE_BOOK, "--demo", "2", demo], check=True, stdout=subprocess.DEVNULL)
    book = os.path.join(folder, "Long.vlq")
    pages = 5_000_000
    with zipfile.ZipFile(demo) as original, zipfile.ZipFile(book, "w", zipfile.ZIP_DEFLATED) as out:
        for entry in original.infolist():
            if entry.filename != "files/config.xml":
                out.writestr(entry, original.read(entry))
        with out.open("files/config.xml", "w") as config:
            config.write(b"<book title=\"long\">")
            line = b"<page src=\"files/pages/001.jpg\"/>"
            for _ in range(pages // 10000):
                config.write(line * 10000)
            config.write(b"</book>")
    size_mb = zipfile.ZipFile(book).getinfo("files/config.xml").file_size >> 20
    process = e2e.start(SOURCE, READER, ["-s" + windows_path(demo)])
    try:
        shown = wait_for(lambda: probe_main(CAPTION))
        time.sleep(10)
        baseline = peak_mb(process.pid)
    finally:
        e2e.stop(process)
    if not check(shown is not None and baseline is not None, f"longlist: a small book opens (peak {baseline} MB)"):
        return
    bound = baseline + int(LONG_LIST_COPIES * size_mb)
    process = e2e.start(SOURCE, READER, ["-s" + windows_path(book)])
    try:
        info = wait_for(lambda: probe_main(CAPTION))
        if not check(info is not None, f"longlist: the book of {pages} pages ({size_mb} MB list) opens"):
            return
        # The list arrives and is refused; give it time, then look.
        time.sleep(20)
        alive = process.poll() is None
        peak = peak_mb(process.pid)
        shot = e2e.screenshot(os.path.join(folder, "long.png"))
        check(alive, "longlist: the reader is still running")
        check(stage_is_bare(info, shot), "longlist: the stage shows no page (the list is refused whole)")
        check(peak is not None and peak < bound,
              f"longlist: peak resident memory {peak} MB below {bound} MB "
              f"(a small book's {baseline} MB and {LONG_LIST_COPIES} copies of the list)")
    finally:
        e2e.stop(process)


if __name__ == "__main__":
    os.makedirs(WORK, exist_ok=True)
    e2e.run(SOURCE, {"outside": check_outside, "longlist": check_longlist}, CHECK)
