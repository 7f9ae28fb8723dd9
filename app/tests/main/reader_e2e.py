#!/usr/bin/env python3
"""End-to-end checks of the reader's start-up and book check, from outside.

Usage: reader_e2e.py SOURCE_DIR BIN_DIR PROBE_EXE WORK_DIR CHECK [MAKE_BOOK]
CHECK: startup, accept, reject, beside, missing, pages, session, names, keys, resume,
closing, hostile, goto, layout.
The reader runs under Wine (scripts/wine-run, the project's private prefix)
on the display given by DISPLAY; the probe helper reads window titles, menu
bars, child windows and message boxes through the platform. Every reader
started here is killed by its own process id.
"""
import collections
import contextlib
import os
import shutil
import subprocess
import struct
import sys
import tempfile
import time
import zipfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import e2e_support as e2e  # noqa: E402
import xdnd_drop  # noqa: E402
from e2e_support import CONFIG, MOVIE, check, wait_for, windows_path, xdo  # noqa: E402

SOURCE, BIN, PROBE, WORK, CHECK = sys.argv[1:6]
MAKE_BOOK = sys.argv[6] if len(sys.argv) > 6 else ""
WINE_RUN = e2e.wine_run(SOURCE)
READER = os.path.join(BIN, "reader.exe")
FRAME_SIZE = (547, 434)
NOT_BOOK_CAPTION = "Not the VellBook file"
CAPTION = "Vell Book Reader--"
TOOLKIT_CLASS = "VellToolkitWindow"
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000
NOT_BOOK_TEXT = "The file you selected is not the VellBook file!"


def probe(*args):
    return e2e.run_probe(SOURCE, PROBE, *args)


def main_window(prefix):
    """What the probe sees of the top-level window whose title starts with prefix, or None."""
    return e2e.probe_window(SOURCE, PROBE, prefix)


def dialogs():
    _, lines = probe("dialogs")
    found = []
    for line in lines:
        if line.startswith("dialog="):
            title, text, buttons = (line[len("dialog="):].split("|") + ["", ""])[:3]
            found.append({"title": title, "text": text, "buttons": buttons})
    return found


def x_window(title_pattern):
    """Id and geometry (x, y, w, h) of the X window that shows a reader window."""
    found = e2e.find_windows(title_pattern)
    if not found:
        return None
    geometry = e2e.geometry(found[0])
    return (found[0], geometry) if geometry else None


def dark_pixels(x, y, w, h):
    """Number of dark (text-coloured) pixels on the screen in a rectangle."""
    if w <= 0 or h <= 0:
        return 0
    _, _, pixels = e2e.read_screen(x, y, w, h)
    return sum(1 for i in range(0, len(pixels) - 2, 3) if sum(pixels[i:i + 3]) < 200)


def menu_bar_text(info, title_pattern):
    """Dark pixels between the top of the reader's X window and its client area:
    the menu bar's captions when it has menus, none when it is empty."""
    window = x_window(title_pattern)
    if window is None:
        return None
    _, (x, y, w, _) = window
    client_top = info["client"][1]
    return dark_pixels(x, y, w, client_top - y)


def startup_frame(info):
    """Position of the visible start-up frame in the client area, or None."""
    for (x, y, w, h), _ in info["children"]:
        if (w, h) == FRAME_SIZE:
            return (x, y)
    return None


def book_shown(title):
    """The main window with a book open (no start-up panel), or None."""
    info = main_window(title)
    return info if info and startup_frame(info) is None else None


def panel_shown(title):
    """The main window showing the start-up panel, or None."""
    info = main_window(title)
    return info if info and startup_frame(info) else None


def full_screen(title):
    """The main window when it covers the screen without a caption, or None."""
    info = main_window(title)
    screen = tuple(int(v) for v in xdo("getdisplaygeometry").split())
    if info and info["window"] == "0,0,%d,%d" % screen and not int(info["style"], 16) & WS_CAPTION:
        return info
    return None


MANAGED = ["HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed"]


def place_windows_by_wine():
    """Xvfb has no window manager, so Wine is told to place and size its windows
    itself: full screen then shows on the screen as on a desktop."""
    subprocess.run([WINE_RUN, "reg", "add", *MANAGED, "/d", "N", "/f"], capture_output=True)


def restore_window_placement():
    subprocess.run([WINE_RUN, "reg", "delete", *MANAGED, "/f"], capture_output=True)


def screen_corner_covered(shot):
    """Whether a window covers the screen's top left corner (the bare screen is black)."""
    width, _, pixels = e2e.read_picture(shot)
    i = (4 * width + 4) * 3
    return sum(pixels[i:i + 3]) > 60


def drop_on_reader(paths):
    """Drops the files on the middle of the reader's X window, as a file manager would."""
    window, (x, y, w, h) = x_window("^Vell ")
    return xdnd_drop.drop_files(int(window), x + w // 2, y + h // 2, paths)


def start(args, exe=READER):
    return e2e.start(SOURCE, exe, args)


def reader_windows():
    _, lines = probe("windows")
    return [line for line in lines if line.startswith("window=VellToolkitWindow|") or line.startswith("window=#32770|")]


def stop(process, others_running=False):
    e2e.stop(process)
    # The next case must not see this reader's windows.
    if not others_running:
        wait_for(lambda: not reader_windows(), timeout=30)


def make_zip(path, entries):
    """A book written by the real zip tool: entries maps archive names to contents."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    stage = path + ".stage"
    shutil.rmtree(stage, ignore_errors=True)
    for name, data in entries.items():
        target = os.path.join(stage, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)
    if os.path.exists(path):
        os.remove(path)
    # zip picks its output format from the name; write .zip, then rename.
    subprocess.run(["zip", "-q", "-r", os.path.abspath(path) + ".zip", *sorted(entries)], cwd=stage, check=True)
    os.replace(os.path.abspath(path) + ".zip", path)
    shutil.rmtree(stage)
    return path


def make_valid_book(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if MAKE_BOOK and os.access(MAKE_BOOK, os.X_OK):
        return demo_book(path, 3)
    return make_zip(path, {"book.swf": MOVIE, "files/config.xml": CONFIG, "files/book.bin": CONFIG})


def expect_startup_panel(info, label):
    frame = startup_frame(info)
    if not check(frame is not None, f"{label}: the start-up panel shows"):
        return
    _, _, w, h = info["client"]
    expected = (int((w - FRAME_SIZE[0]) / 2), int((h - FRAME_SIZE[1]) / 2))
    check(frame == expected, f"{label}: the start-up frame is centred ({frame} == {expected})")


def run_startup_case(label, args, close_by_keyboard=False):
    process = start(args)
    try:
        info = wait_for(lambda: main_window("Vell Reader"))
        if not check(info is not None, f"{label}: the main window appears"):
            return
        check(info["title"] == "Vell Reader", f"{label}: the caption stays 'Vell Reader' ({info['title']!r})")
        expect_startup_panel(info, label)
        check(not dialogs(), f"{label}: no message box")
        if close_by_keyboard:
            window = x_window("^Vell Reader$")
            if check(window is not None, f"{label}: the window is on the screen"):
                xdo("windowfocus", "--sync", window[0])
                xdo("key", "alt+F4")
                ended = wait_for(lambda: process.poll() is not None, timeout=60)
                check(ended and process.returncode == 0,
                      f"{label}: closing the window ends the program with exit code 0 ({process.poll()})")
    finally:
        stop(process)


def check_startup():
    book = make_valid_book(os.path.join(WORK, "startup", "a book.vlq"))
    as_zip = os.path.join(WORK, "startup", "a book.zip")
    shutil.copy(book, as_zip)
    run_startup_case("no argument", [], close_by_keyboard=True)
    run_startup_case("a book without -s", [windows_path(book)])
    run_startup_case("a .zip after -s", ["-s" + windows_path(as_zip)])

    # No single-instance check: a second start gives a second window.
    first, second = start([]), start([])
    try:
        def count():
            return len([w for w in reader_windows() if w.endswith("|Vell Reader")])
        check(wait_for(lambda: count() == 2), "two starts: two independent windows")
        stop(first, others_running=True)
        check(wait_for(lambda: count() == 1, timeout=30), "two starts: the second window stays when the first ends")
    finally:
        for process in (first, second):
            if process in e2e.running:
                stop(process)


def check_accept():
    cases = [
        ("a valid book", make_valid_book(os.path.join(WORK, "accept", "valid book.vlq"))),
        ("a book with files/config.xml only", make_zip(os.path.join(WORK, "accept", "config only.VLQ"),
                                                         {"book.swf": MOVIE, "files/config.xml": CONFIG})),
    ]
    for label, book in cases:
        path = windows_path(book)
        process = start(["-s" + path])
        try:
            info = wait_for(lambda: main_window(CAPTION))
            if not check(info is not None, f"{label}: a window captioned 'Vell Book Reader--...' appears"):
                continue
            check(info["title"] == CAPTION + path, f"{label}: caption {info['title']!r}")
            check(startup_frame(info) is None, f"{label}: the start-up panel is hidden")
            text = menu_bar_text(info, "^Vell Book Reader--")
            check(text is not None and text > 50, f"{label}: the menu bar shows its menus ({text} dark pixels)")
            check(not dialogs(), f"{label}: no message box")
        finally:
            stop(process)


def check_reject():
    folder = os.path.join(WORK, "reject")
    os.makedirs(folder, exist_ok=True)
    text_file = os.path.join(folder, "text.vlq")
    with open(text_file, "w") as f:
        f.write("This is a plain text file, not an archive.\n" * 20)
    empty_file = os.path.join(folder, "empty.vlq")
    open(empty_file, "wb").close()
    cases = [
        ("a ZIP without book.swf", make_zip(os.path.join(folder, "no movie.vlq"),
                                             {"files/config.xml": CONFIG, "content/book.swf": MOVIE})),
        ("a ZIP with Book.swf only", make_zip(os.path.join(folder, "capital.vlq"),
                                               {"Book.swf": MOVIE, "files/book.bin": CONFIG})),
        ("a ZIP with book.swf but no run-time file", make_zip(os.path.join(folder, "movie only.vlq"),
                                                               {"book.swf": MOVIE})),
        ("a text file named .vlq", text_file),
        ("an empty file", empty_file),
    ]
    for label, book in cases:
        path = windows_path(book)
        process = start(["-s" + path])
        try:
            box = wait_for(lambda: [d for d in dialogs() if d["title"] == NOT_BOOK_CAPTION])
            if not check(box is not None, f"{label}: a message box captioned {NOT_BOOK_CAPTION!r} appears"):
                print("     dialogs seen:", dialogs())
                continue
            check(box[0]["text"] == NOT_BOOK_TEXT, f"{label}: its text is {box[0]['text']!r}")
            check(box[0]["buttons"] == "OK", f"{label}: it has one OK button ({box[0]['buttons']!r})")
            probe("press", NOT_BOOK_CAPTION)
            gone = wait_for(lambda: not [d for d in dialogs() if d["title"] == NOT_BOOK_CAPTION], timeout=30)
            check(gone, f"{label}: OK closes the message box")
            info = wait_for(lambda: panel_shown(CAPTION),
                            timeout=30)
            if check(info is not None, f"{label}: then the start-up panel shows"):
                check(info["title"] == CAPTION + path, f"{label}: the caption names the file")
        finally:
            stop(process)


def check_beside():
    folder = os.path.join(WORK, "beside")
    exe = e2e.reader_copy(READER, folder, "Anna Reader.exe")
    book = make_valid_book(os.path.join(folder, "Anna Reader.vlq"))
    other = make_valid_book(os.path.join(folder, "other.vlq"))
    for label, args in [("no argument", []), ("another book on the command line", ["-s" + windows_path(other)])]:
        process = start(args, exe=exe)
        try:
            info = wait_for(lambda: main_window(CAPTION))
            if not check(info is not None, f"book beside the executable, {label}: it opens"):
                continue
            check(info["title"].lower() == (CAPTION + windows_path(book)).lower(),
                  f"book beside the executable, {label}: caption {info['title']!r}")
            text = menu_bar_text(info, "^Vell Book Reader--")
            check(text == 0, f"book beside the executable, {label}: the menu bar is empty ({text} dark pixels)")
            check(startup_frame(info) is None, f"book beside the executable, {label}: no start-up panel")
        finally:
            stop(process)


def check_missing():
    # Named outside the code page: the message must name it whole.
    path = windows_path(os.path.join(WORK, "missing", "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac not there.vlq"))
    process = start(["-s" + path])
    try:
        box = wait_for(lambda: [d for d in dialogs() if d["title"] == "Vell Reader"])
        if check(box is not None, "a missing book: an error box captioned 'Vell Reader' reports it"):
            check(box[0]["text"] != NOT_BOOK_TEXT and path in box[0]["text"],
                  f"a missing book: the box carries the archive's error with the path ({box[0]['text']!r})")
            probe("press", "Vell Reader")
        info = wait_for(lambda: panel_shown(CAPTION),
                        timeout=30)
        if not check(info is not None, "a missing book: then the start-up panel shows"):
            return
        check(info["enabled"] == "1", "a missing book: the window is enabled")
        # Usable: the keyboard reaches the menu, and Help/About opens the About box.
        window = x_window("^Vell Book Reader--")
        if check(window is not None, "a missing book: the window is on the screen"):
            xdo("windowfocus", "--sync", window[0])
            xdo("key", "alt+h")
            time.sleep(1)
            xdo("key", "a")
            about = wait_for(lambda: main_window("About"), timeout=30)
            check(about is not None, "a missing book: Help/About still opens the About box")
    finally:
        stop(process)


def page_colour(page):
    """The paper colour of the demo book's page (the book maker's hue walk)."""
    return e2e.hue_walk_colour(page, 0.95, 0.35)


def spread_pages(info, shot):
    """The demo pages whose paper shows left and right of the stage's middle, from a
    screenshot: points a third of the way up each half, clear of the number and bars."""
    width, _, pixels = e2e.read_picture(shot)
    x, y, w, h = info["client"]

    def paper_at(px, py):
        i = (py * width + px) * 3
        pixel = tuple(pixels[i:i + 3])
        if e2e.near(pixel, PLACEHOLDER, 12):
            return "placeholder"
        found = [page for page in range(1, 40) if e2e.near(pixel, page_colour(page), 40)]
        return found[0] if found else None

    row = y + h // 3
    return paper_at(x + w // 2 - w // 8, row), paper_at(x + w // 2 + w // 8, row)


PLACEHOLDER = (0xA0, 0xA0, 0xA0)  # the player's page that could not be had


def rewrite_book(source, target, change):
    """A copy of a book whose entries pass through change(name, data): new bytes,
    or None to leave the entry out. Each entry keeps its compression."""
    with zipfile.ZipFile(source) as original, zipfile.ZipFile(target, "w") as copy:
        for info in original.infolist():
            data = change(info.filename, original.read(info))
            if data is not None:
                copy.writestr(info, data)
    return target


def flip_stored_byte(book, name, at=200):
    """Flips one byte of a stored entry's data in place, so that its CRC fails."""
    with zipfile.ZipFile(book) as archive:
        info = archive.getinfo(name)
    with open(book, "r+b") as f:
        f.seek(info.header_offset + 26)
        name_length, extra_length = struct.unpack("<HH", f.read(4))
        f.seek(info.header_offset + 30 + name_length + extra_length + at)
        byte = f.read(1)[0]
        f.seek(-1, os.SEEK_CUR)
        f.write(bytes([byte ^ 0xFF]))


def files_under(*folders):
    found = set()
    for folder in folders:
        for root, _, names in os.walk(folder):
            found.update(os.path.join(root, name) for name in names)
    return found


def open_book_from_dialog(path):
    """File, Open, then the path typed into the dialog."""
    xdo("key", "alt+f")
    time.sleep(1)
    xdo("key", "o")
    if wait_for(lambda: [d for d in dialogs() if d["title"] == "Open"], timeout=30) is None:
        return False
    time.sleep(1)
    xdo("type", "--delay", "20", path)
    xdo("key", "Return")
    return True


def fresh_folder(name):
    """An empty work folder for a check, or None when the book maker it needs is missing."""
    folder = os.path.join(WORK, name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder if check(MAKE_BOOK and os.access(MAKE_BOOK, os.X_OK), "the book maker is built") else None


def demo_book(path, pages):
    """The book maker's demo book of that many pages, each page its own paper colour."""
    subprocess.run([MAKE_BOOK, "--demo", str(pages), path], check=True, stdout=subprocess.DEVNULL)
    return path


def check_pages():
    """Pages turn; a missing or damaged page shows the placeholder; a second book shows
    its own pages; and nothing of a book reaches the disk."""
    folder = fresh_folder("pages")
    if folder is None:
        return
    book = os.path.join(folder, "Eight.vlq")
    demo_book(book, 8)
    gaps = rewrite_book(book, os.path.join(folder, "Gaps.vlq"),
                        lambda name, data: None if name == "files/pages/001.jpg" else data)
    # A byte of the coded picture, well after its tables: a decoder still makes a
    # picture of it (wrong at the bottom), so only the reader's own check of the
    # entry can turn it into the placeholder.
    damaged = "files/pages/004.jpg"
    flip_stored_byte(gaps, damaged, at=zipfile.ZipFile(gaps).getinfo(damaged).file_size * 3 // 4)
    swapped = rewrite_book(book, os.path.join(folder, "Swapped.vlq"), lambda name, data: {
        "files/pages/001.jpg": zipfile.ZipFile(book).read("files/pages/002.jpg"),
        "files/pages/002.jpg": zipfile.ZipFile(book).read("files/pages/001.jpg")}.get(name, data))

    watched = [e2e.prefix_folder(SOURCE), tempfile.gettempdir()]
    before = files_under(*watched)
    # The reader's own list of recent books and its pages of them are the files
    # it may add: they hold paths and page numbers.
    own_files = {e2e.recent_list_file(SOURCE), e2e.resume_file(SOURCE)}
    log = os.path.join(folder, "reader.log")
    process = e2e.start(SOURCE, READER, ["-s" + windows_path(book)], env={"VELL_READER_LOG": windows_path(log)})
    try:
        title = CAPTION + windows_path(book)
        info = wait_for(lambda: book_shown(title))
        if not check(info is not None, "pages: the book opens"):
            return
        window = x_window("^Vell Book Reader--")[0]
        xdo("windowfocus", "--sync", window)

        def spread_after(key, shot):
            if key:
                xdo("key", key)
            time.sleep(2)
            return spread_pages(info, e2e.screenshot(os.path.join(folder, shot)))

        check(spread_after(None, "1-first.png") == (1, 2), "pages: the first spread is pages 1 and 2")
        for key, shot, expected in [("Right", "2-right.png", (3, 4)), ("Right", "3-right.png", (5, 6)),
                                    ("Left", "4-left.png", (3, 4)), ("End", "5-end.png", (7, 8)),
                                    ("Home", "6-home.png", (1, 2))]:
            seen = spread_after(key, shot)
            check(seen == expected, f"pages: {key} shows pages {expected} ({seen})")

        xdo("key", "alt+f")
        time.sleep(1)
        xdo("key", "c")
        closed = wait_for(lambda: panel_shown(title), timeout=30)
        check(closed is not None, "pages: File, Close brings back the start-up panel")
        new = {path for path in files_under(*watched) - before
               if path.lower().endswith((".jpg", ".swf", ".xml", ".bin", ".vlq", ".tmp"))
               or (path.startswith(e2e.prefix_folder(SOURCE)) and path not in own_files)}
        check(not new, f"pages: nothing of the book was written to disk ({sorted(new)[:5]})")

        # Page 1 left out, page 4 damaged; then a book whose first two pages trade places.
        for label, other, spreads in [("a book with a missing and a damaged page", gaps,
                                       [(None, ("placeholder", 2)), ("Right", (3, "placeholder"))]),
                                      ("a second book", swapped, [(None, (2, 1))])]:
            if not check(open_book_from_dialog(windows_path(other)), f"pages: {label} is chosen in the open dialog"):
                continue
            other_title = CAPTION + windows_path(other)
            info = wait_for(lambda: book_shown(other_title))
            if not check(info is not None, f"pages: {label} opens"):
                continue
            xdo("windowfocus", "--sync", x_window("^Vell Book Reader--")[0])
            for step, (key, expected) in enumerate(spreads):
                seen = spread_after(key, f"{os.path.basename(other)}-{step}.png")
                check(seen == expected, f"pages: {label}, {key or 'opened'}: {expected} ({seen})")
    finally:
        stop(process)
    logged = open(log, encoding="latin-1").read() if os.path.exists(log) else ""
    check("Entry [files\\pages\\004.jpg] fails its CRC check" in logged and "Declined [files/pages/004.jpg]" in logged,
          "pages: the log names the damaged page and its failed CRC")


def check_session():
    """A person's whole session: start-up panel, Open..., a book, pages, full screen
    both ways, close, the recent link, About."""
    shots = fresh_folder("session")
    if shots is None:
        return
    book = demo_book(os.path.join(shots, "Session Book.vlq"), 8)
    path = windows_path(book)
    ini = e2e.recent_list_file(SOURCE)
    saved = open(ini, "rb").read() if os.path.exists(ini) else None
    place_windows_by_wine()
    process = start([])
    try:
        info = wait_for(lambda: main_window("Vell Reader"))
        if not check(info is not None, "session: the main window appears"):
            return
        time.sleep(2)
        origin, bands = e2e.link_bands(e2e.screenshot(os.path.join(shots, "1-startup.png")))
        if not check(origin is not None and bands, "session: the start-up panel shows its links"):
            return
        # Open... is the last link of the panel.
        xdo("mousemove", origin[0] + 60, origin[1] + bands[-1][0] + 4, "click", "1")
        dialog = wait_for(lambda: [d for d in dialogs() if d["title"] == "Open"], timeout=30)
        if not check(dialog is not None, "session: Open... shows the open dialog"):
            return
        time.sleep(1)
        xdo("type", "--delay", "20", path)
        xdo("key", "Return")
        title = CAPTION + path
        info = wait_for(lambda: book_shown(title),
                        timeout=60)
        if not check(info is not None, "session: the chosen book opens in place of the start-up panel"):
            return
        windowed = info["window"]
        time.sleep(3)
        shot = e2e.screenshot(os.path.join(shots, "2-first-spread.png"))
        seen = spread_pages(info, shot)
        check(seen == (1, 2), f"session: the first spread shows pages 1 and 2 ({seen})")
        window = x_window("^Vell Book Reader--")[0]
        xdo("windowfocus", "--sync", window)
        xdo("key", "Right")
        time.sleep(2)
        shot = e2e.screenshot(os.path.join(shots, "3-next-spread.png"))
        seen = spread_pages(info, shot)
        check(seen == (3, 4), f"session: Right turns to pages 3 and 4 ({seen})")

        def back_windowed():
            i = main_window(CAPTION)
            framed = WS_CAPTION | WS_THICKFRAME
            if i and i["window"] == windowed and int(i["style"], 16) & framed == framed:
                return i
            return None

        xdo("key", "F11")
        check(wait_for(lambda: full_screen(CAPTION), timeout=20) is not None, "session: F11 covers the screen without a caption")
        e2e.screenshot(os.path.join(shots, "4-full-screen.png"))
        xdo("key", "Escape")
        check(wait_for(back_windowed, timeout=20) is not None,
              f"session: Esc brings back the caption, the sizing frame and the bounds {windowed}")
        def options_menu():
            # "Options" has no mnemonic: open it with the mouse, then take an item's letter.
            cx, cy = main_window(CAPTION)["client"][:2]
            xdo("mousemove", cx + 55, cy - 9, "click", "1")
            time.sleep(1)

        options_menu()
        e2e.screenshot(os.path.join(shots, "5-options-menu.png"))
        xdo("key", "f")
        check(wait_for(lambda: full_screen(CAPTION), timeout=20) is not None, "session: Options, Fullscreen covers the screen")
        options_menu()
        e2e.screenshot(os.path.join(shots, "5-options-menu-full-screen.png"))
        xdo("key", "e")
        check(wait_for(back_windowed, timeout=20) is not None, "session: Options, Exit Fullscreen brings it back")

        xdo("key", "alt+f")
        time.sleep(1)
        xdo("key", "c")
        info = wait_for(lambda: panel_shown(CAPTION),
                        timeout=30)
        if not check(info is not None, "session: File, Close shows the start-up panel"):
            return
        check(e2e.recent_list(SOURCE).get("1") == path, "session: the book heads the recent list")
        time.sleep(2)
        origin, bands = e2e.link_bands(e2e.screenshot(os.path.join(shots, "6-closed.png")))
        if check(origin is not None and len(bands) >= 2, f"session: the panel lists a recent book ({bands})"):
            xdo("mousemove", origin[0] + 60, origin[1] + bands[0][0] + 4, "click", "1")
            info = wait_for(lambda: book_shown(title),
                            timeout=60)
            check(info is not None, "session: its link opens the book again")
            time.sleep(3)
            if info:
                shot = e2e.screenshot(os.path.join(shots, "7-reopened.png"))
                seen = spread_pages(info, shot)
                check(seen[0] is not None, f"session: its pages show ({seen})")
        xdo("windowfocus", "--sync", x_window("^Vell Book Reader--")[0])
        xdo("key", "alt+h")
        time.sleep(1)
        xdo("key", "a")
        about = wait_for(lambda: main_window("About"), timeout=30)
        if check(about is not None, "session: Help, About opens the About box"):
            xdo("key", "Escape")
            check(wait_for(lambda: main_window("About") is None, timeout=30), "session: Esc closes it")
    finally:
        stop(process)
        restore_window_placement()
        if saved is not None:
            open(ini, "wb").write(saved)


def check_names():
    """Books named outside the code page open from the command line, from the recent
    list after a restart and from a drop; their captions keep every character."""
    folder = fresh_folder("names")
    if folder is None:
        return
    books = []
    for stem in ("\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac", "\u65e5\u672c\u8a9e"):
        books.append(os.path.join(folder, stem + ".vlq"))
        demo_book(books[-1], 4)
    greek, japanese = books
    text_file = os.path.join(folder, "notes.txt")
    open(text_file, "w").write("not a book\n")
    ini = e2e.recent_list_file(SOURCE)
    saved = open(ini, "rb").read() if os.path.exists(ini) else None
    try:
        for book in books:
            title = CAPTION + windows_path(book)
            process = start(["-s" + windows_path(book)])
            try:
                info = wait_for(lambda: book_shown(title), timeout=60)
                if check(info is not None and info["title"] == title, f"names: {title} opens from -s"):
                    time.sleep(2)
                    shot = e2e.screenshot(os.path.join(folder, f"{os.path.basename(book)}-s.png"))
                    seen = spread_pages(info, shot)
                    check(seen == (1, 2), f"names: its first spread shows ({seen})")
            finally:
                stop(process)
        recent = e2e.recent_list(SOURCE)
        check(recent.get("1") == windows_path(japanese) and recent.get("2") == windows_path(greek),
              f"names: the recent list keeps both names ({recent.get('1')!r}, {recent.get('2')!r})")

        process = start([])
        try:
            if not check(wait_for(lambda: main_window("Vell Reader")) is not None, "names: the reader restarts"):
                return
            time.sleep(2)
            origin, bands = e2e.link_bands(e2e.screenshot(os.path.join(folder, "restart-panel.png")))
            # Characters the display's fonts lack show as boxes, whose top and bottom
            # edges are bands of their own: rows closer than the lines of links are one link.
            links = []
            for top, bottom in bands:
                if links and top - links[-1][1] < 10:
                    links[-1] = (links[-1][0], bottom)
                else:
                    links.append((top, bottom))
            if check(origin is not None and len(links) >= 3, f"names: the panel lists both books ({links})"):
                xdo("mousemove", origin[0] + 60, origin[1] + links[1][0] + 4, "click", "1")
                title = CAPTION + windows_path(greek)
                info = wait_for(lambda: book_shown(title), timeout=60)
                check(info is not None and info["title"] == title, "names: the Greek book opens from the recent list")

            check(drop_on_reader([japanese, greek]), "names: the window takes a drop of two books")
            title = CAPTION + windows_path(japanese)
            info = wait_for(lambda: book_shown(title), timeout=60)
            check(info is not None and info["title"] == title, "names: the first dropped book opens")
            if info:
                time.sleep(2)
                seen = spread_pages(info, e2e.screenshot(os.path.join(folder, "dropped.png")))
                check(seen == (1, 2), f"names: the dropped book's pages show ({seen})")

            check(drop_on_reader([text_file]), "names: the window takes a drop of a text file")
            box = wait_for(lambda: [d for d in dialogs() if d["title"] == NOT_BOOK_CAPTION], timeout=30)
            if check(box is not None and box[0]["text"] == NOT_BOOK_TEXT, "names: a dropped text file is no book"):
                probe("press", NOT_BOOK_CAPTION)
                check(wait_for(lambda: not [d for d in dialogs() if d["title"] == NOT_BOOK_CAPTION], timeout=30)
                      is not None, "names: the message goes with OK")
        finally:
            stop(process)
    finally:
        if saved is not None:
            open(ini, "wb").write(saved)


def check_keys():
    """Ctrl+O, Ctrl+W and F11 answer with the focus in the window (start-up panel)
    and in the player (a book), and the player still gets its own keys."""
    folder = fresh_folder("keys")
    if folder is None:
        return
    book = os.path.join(folder, "Keys.vlq")
    demo_book(book, 8)
    title = CAPTION + windows_path(book)

    def windowed(prefix):
        i = main_window(prefix)
        return i if i and int(i["style"], 16) & WS_CAPTION else None

    def open_dialog_comes_and_goes(where):
        xdo("key", "ctrl+o")
        shown = wait_for(lambda: [d for d in dialogs() if d["title"] == "Open"], timeout=30)
        if check(shown is not None, f"keys: Ctrl+O with the focus in the {where} shows the open dialog"):
            xdo("key", "Escape")
            check(wait_for(lambda: not [d for d in dialogs() if d["title"] == "Open"], timeout=30) is not None,
                  "keys: Esc closes the dialog")

    def full_screen_both_ways(prefix, where):
        xdo("key", "F11")
        check(wait_for(lambda: full_screen(prefix), timeout=20) is not None,
              f"keys: F11 with the focus in the {where} turns full screen on")
        time.sleep(1)
        check(screen_corner_covered(e2e.screenshot(os.path.join(folder, f"full-screen-{where}.png"))),
              f"keys: full screen from the {where} shows on the screen")
        xdo("key", "F11")
        check(wait_for(lambda: windowed(prefix), timeout=20) is not None, "keys: F11 again turns it off")
        time.sleep(1)
        check(not screen_corner_covered(e2e.screenshot(os.path.join(folder, f"windowed-{where}.png"))),
              f"keys: the window from the {where} is back in its bounds on the screen")

    place_windows_by_wine()
    process = start([])
    try:
        info = wait_for(lambda: main_window("Vell Reader"))
        if not check(info is not None, "keys: the reader starts"):
            return
        xdo("windowfocus", "--sync", x_window("^Vell Reader")[0])
        time.sleep(1)
        focus = main_window("Vell Reader").get("focus", "")
        check(focus == TOOLKIT_CLASS, f"keys: without a book the focus is in the window ({focus})")
        open_dialog_comes_and_goes("window")
        full_screen_both_ways("Vell Reader", "window")

        xdo("key", "ctrl+o")
        if check(wait_for(lambda: [d for d in dialogs() if d["title"] == "Open"], timeout=30) is not None,
                 "keys: Ctrl+O again"):
            time.sleep(1)
            xdo("type", "--delay", "20", windows_path(book))
            xdo("key", "Return")
        info = wait_for(lambda: book_shown(title), timeout=60)
        if not check(info is not None, "keys: the book chosen opens"):
            return
        x, y, w, h = info["client"]
        xdo("mousemove", x + w // 4, y + h // 2, "click", "1")
        time.sleep(1)
        focus = main_window(title).get("focus", "")
        # The player's own window has a class name of its own, not the toolkit's.
        check(focus not in ("", TOOLKIT_CLASS), f"keys: a click on the page puts the focus in the player ({focus})")
        open_dialog_comes_and_goes("player")
        full_screen_both_ways(title, "player")
        xdo("key", "Right")
        time.sleep(2)
        seen = spread_pages(main_window(title), e2e.screenshot(os.path.join(folder, "right.png")))
        check(seen == (3, 4), f"keys: the player still turns the page with Right ({seen})")
        xdo("key", "ctrl+w")
        closed = wait_for(lambda: panel_shown(CAPTION), timeout=30)
        check(closed is not None, "keys: Ctrl+W closes the book and shows the start-up panel")
        e2e.screenshot(os.path.join(folder, "closed.png"))
    finally:
        stop(process)
        restore_window_placement()


def check_resume():
    """A book left at page 7 opens there after a restart; the same book rewritten
    (only its time, or only its size) opens at page 1."""
    folder = fresh_folder("resume")
    if folder is None:
        return
    book = os.path.join(folder, "Resumed.vlq")
    demo_book(book, 8)
    path = windows_path(book)
    title = CAPTION + path
    resume_file = e2e.resume_file(SOURCE)
    saved = open(resume_file, "rb").read() if os.path.exists(resume_file) else None

    def open_reader(label, shot):
        """Starts the reader on the book; its process and the spread it first shows."""
        process = start(["-s" + path])
        info = wait_for(lambda: book_shown(title))
        if not check(info is not None, f"resume: {label}: the book opens"):
            return process, None, None
        time.sleep(3)
        return process, info, spread_pages(info, e2e.screenshot(os.path.join(folder, shot)))

    def close_reader(process, label):
        xdo("windowfocus", "--sync", x_window("^Vell Book Reader--")[0])
        xdo("key", "alt+F4")
        ended = wait_for(lambda: process.poll() is not None, timeout=60)
        check(ended and process.returncode == 0, f"resume: {label}: the reader ends on Alt+F4 ({process.poll()})")

    try:
        process, info, seen = open_reader("first time", "1-opened.png")
        if info is None:
            return
        check(seen == (1, 2), f"resume: a book never read opens at pages 1 and 2 ({seen})")
        xdo("windowfocus", "--sync", x_window("^Vell Book Reader--")[0])
        for _ in range(3):
            xdo("key", "Right")
            time.sleep(1)
        time.sleep(1)
        seen = spread_pages(info, e2e.screenshot(os.path.join(folder, "2-turned.png")))
        check(seen == (7, 8), f"resume: Right three times turns to pages 7 and 8 ({seen})")
        close_reader(process, "left at page 7")
        stored = open(resume_file, "rb").read().decode("utf-8") if os.path.exists(resume_file) else ""
        line = [entry for entry in stored.splitlines() if entry.endswith("\\" + os.path.basename(book))]
        check(line and line[0].startswith("7\t"), f"resume: the book's page is kept beside the recent list ({line})")

        process, info, seen = open_reader("after a restart", "3-restarted.png")
        check(seen == (7, 8), f"resume: after a restart the book opens at pages 7 and 8 ({seen})")
        # Killed, not closed: what was kept for the book stays as it is for the next cases.
        stop(process)

        written = os.stat(book).st_mtime_ns
        later = written + 60 * 10**9
        os.utime(book, ns=(later, later))
        process, info, seen = open_reader("rewritten at another time", "4-other-time.png")
        check(seen == (1, 2), f"resume: the same size at another time opens at pages 1 and 2 ({seen})")
        stop(process)

        demo_book(book, 9)
        os.utime(book, ns=(written, written))
        process, info, seen = open_reader("rewritten with another size", "5-other-size.png")
        check(seen == (1, 2), f"resume: another size at the same time opens at pages 1 and 2 ({seen})")
        stop(process)
    finally:
        e2e.stop_all()
        restore_file(resume_file, saved)


def restore_file(path, saved):
    """Puts back the bytes a file held before a check (None: there was no file)."""
    if saved is not None:
        open(path, "wb").write(saved)
    elif os.path.exists(path):
        os.remove(path)


def large_page_book(folder, pages=12):
    """A book of large noisy JPEG pages (2400x3400), made once per work folder:
    each page takes the archive reader many blocks, so keys land mid-read."""
    book = os.path.join(WORK, "large-pages.vlq")
    if os.path.exists(book):
        return book
    pictures = os.path.join(folder, "pictures")
    os.makedirs(pictures, exist_ok=True)
    for page in range(1, pages + 1):
        r, g, b = page_colour(page)
        subprocess.run(["/usr/bin/convert", "-size", "2400x3400", f"xc:rgb({r},{g},{b})", "-attenuate", "0.3",
                        "+noise", "Uniform", "-quality", "92", os.path.join(pictures, "%03d.jpg" % page)],
                       check=True)
    subprocess.run([MAKE_BOOK, "--pages", pictures, book + ".part"], check=True, stdout=subprocess.DEVNULL)
    os.replace(book + ".part", book)
    return book


def frame_pixels(info):
    """The start-up frame's pixels on the screen, or None when it is not shown."""
    frame = startup_frame(info)
    window = x_window("^Vell ")
    if frame is None or window is None:
        return None
    x, y, _, _ = info["client"]
    return e2e.read_screen(x + frame[0], y + frame[1], *FRAME_SIZE)[2]


def mean_difference(a, b):
    return sum(abs(p - q) for p, q in zip(a, b)) / max(1, len(a))


def check_closing():
    """Ten rounds of Right and at once Ctrl+W on a book of large pages, at varying
    delays: the reader lives on and shows the start-up panel every time."""
    folder = fresh_folder("closing")
    if folder is None:
        return
    book = large_page_book(folder)
    title = CAPTION + windows_path(book)
    process = start([])
    try:
        info = wait_for(lambda: main_window("Vell Reader"))
        if not check(info is not None, "closing: the reader starts"):
            return
        time.sleep(1)
        reference = frame_pixels(info)
        if not check(reference is not None, "closing: the start-up panel shows at start"):
            return
        for round_number, delay in enumerate([0, 0, 0.02, 0.05, 0.1, 0.2, 0.01, 0.3, 0.5, 0], start=1):
            label = f"closing: round {round_number} (Ctrl+W {int(delay * 1000)} ms after Right)"
            if not check(open_book_from_dialog(windows_path(book)), f"{label}: the open dialog takes the book"):
                return
            opened = wait_for(lambda: book_shown(title), timeout=120)
            if not check(opened is not None, f"{label}: the book opens"):
                return
            xdo("windowfocus", "--sync", x_window("^Vell Book Reader--")[0])
            xdo("key", "Right")
            if delay:
                time.sleep(delay)
            xdo("key", "ctrl+w")
            closed = wait_for(lambda: panel_shown(CAPTION), timeout=60)
            if not check(process.poll() is None and closed is not None, f"{label}: alive, the start-up panel shows"):
                e2e.screenshot(os.path.join(folder, f"round-{round_number}.png"))
                return
            time.sleep(1)
            seen = frame_pixels(panel_shown(CAPTION))
            difference = mean_difference(seen, reference) if seen else 255
            check(difference < 8, f"{label}: the panel's pixels are the start-up panel's ({difference:.1f})")
        e2e.screenshot(os.path.join(folder, "after-ten-rounds.png"))
        check(not dialogs(), "closing: no message box on the way")
    finally:
        stop(process)


def peak_memory_mb(exe_name):
    """The largest peak resident memory (MB) among the processes running that
    executable (Wine's loader and the program it became), or None."""
    peaks = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                command = f.read().replace(b"\0", b" ").decode("latin-1")
            if exe_name not in command:
                continue
            with open(f"/proc/{pid}/status") as f:
                peaks += [int(line.split()[1]) // 1024 for line in f if line.startswith("VmHWM:")]
        except OSError:
            continue
    return max(peaks) if peaks else None


def deflated_zeros_entry(archive, name, size):
    """An entry of `size` zero bytes, deflated as it is written (never held whole)."""
    with archive.open(zipfile.ZipInfo(name), "w", force_zip64=size >= 2**31) as entry:
        block = bytes(1 << 20)
        for _ in range(size >> 20):
            entry.write(block)


def understate_entry_size(book, name, claimed):
    """Rewrites an entry's uncompressed size in its local and central record."""
    data = bytearray(open(book, "rb").read())
    with zipfile.ZipFile(book) as archive:
        info = archive.getinfo(name)
    struct.pack_into("<I", data, info.header_offset + 22, claimed)
    encoded = name.encode()
    at = data.find(b"PK\x01\x02")
    while at >= 0:
        if data[at + 46:at + 46 + len(encoded)] == encoded:
            struct.pack_into("<I", data, at + 24, claimed)
        at = data.find(b"PK\x01\x02", at + 4)
    open(book, "wb").write(bytes(data))


HOSTILE_PEAK_MB = 300


def check_hostile():
    """Books made to make the reader hold too much or parse too far: each opens or
    is refused as stated, and the reader's peak memory stays below a bound."""
    folder = fresh_folder("hostile")
    if folder is None:
        return
    base = demo_book(os.path.join(folder, "base.vlq"), 4)
    exe = e2e.reader_copy(READER, os.path.join(folder, "bin"), "hostile-reader.exe")
    laughs = ('<?xml version="1.0"?><!DOCTYPE l [<!ENTITY a "aaaaaaaaaa">'
              + "".join(f'<!ENTITY {chr(98 + i)} "{("&" + chr(97 + i) + ";") * 10}">' for i in range(9))
              + ']><ExeConfig><ExeCaption>&j;</ExeCaption><WindowOpenMode>1</WindowOpenMode>'
              '<WindowOpenWidth>640</WindowOpenWidth><WindowOpenHeight>480</WindowOpenHeight></ExeConfig>')
    huge = ('<ExeConfig><ExeCaption>Huge</ExeCaption><WindowOpenMode>1</WindowOpenMode>'
            '<WindowOpenWidth>100000</WindowOpenWidth><WindowOpenHeight>100000</WindowOpenHeight></ExeConfig>')

    def with_settings(name, xml):
        return rewrite_book(base, os.path.join(folder, name), lambda n, d: d) and \
            _append(os.path.join(folder, name), "ExeConfig.xml", xml.encode())

    def with_big_config(name, understated):
        path = os.path.join(folder, name)
        with zipfile.ZipFile(base) as original, zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as copy:
            for info in original.infolist():
                if info.filename != "files/config.xml":
                    copy.writestr(info, original.read(info))
            deflated_zeros_entry(copy, "files/config.xml", 500 << 20)
        if understated:
            understate_entry_size(path, "files/config.xml", 1000)
        return path

    def with_pages(name, change):
        return rewrite_book(base, os.path.join(folder, name), change)

    def with_huge_page(name):
        path = os.path.join(folder, name)
        with zipfile.ZipFile(base) as original, zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as copy:
            for info in original.infolist():
                if info.filename != "files/pages/001.jpg":
                    copy.writestr(info, original.read(info))
            deflated_zeros_entry(copy, "files/pages/001.jpg", 2 << 30)
        return path

    def shows(expected_spread):
        return lambda t, info, shot: info is not None and spread_pages(info, shot) == expected_spread

    screen = tuple(int(v) for v in xdo("getdisplaygeometry").split())
    cases = [
        ("a page entry that inflates to 2 GB", with_huge_page("page-2gb.vlq"),
         shows(("placeholder", 2)), "the book shows, that page as the placeholder"),
        ("a JPEG and a PNG that declare 60000x60000 pixels",
         with_pages("giant-pictures.vlq", lambda n, d: _giant_jpeg(d) if n.endswith("001.jpg")
                    else _giant_png() if n.endswith("002.jpg") else d),
         shows(("placeholder", "placeholder")), "the book shows, both pages as the placeholder"),
        ("a config.xml that inflates to 500 MB", with_big_config("config-500mb.vlq", False),
         lambda t, info, shot: info is not None, "the book shows (its page list refused)"),
        ("a config.xml that claims 1000 bytes and inflates to 500 MB", with_big_config("config-lying.vlq", True),
         lambda t, info, shot: info is not None, "the book shows (its page list refused)"),
        ("an ExeConfig.xml with nested entity definitions", with_settings("laughs.vlq", laughs),
         lambda t, info, shot: info is not None and t == CAPTION + windows_path(os.path.join(folder, "laughs.vlq")),
         "the book shows, its settings ignored (the caption keeps the path)"),
        ("an ExeConfig.xml asking for a 100000x100000 window", with_settings("huge.vlq", huge),
         lambda t, info, shot: info is not None and t == CAPTION + "Huge" and _within(info, screen),
         "the book shows in a window within the screen"),
    ]
    place_windows_by_wine()
    try:
        for label, book, expected, outcome in cases:
            log = os.path.join(folder, os.path.basename(book) + ".log")
            process = e2e.start(SOURCE, exe, ["-s" + windows_path(book)], env={"VELL_READER_LOG": windows_path(log)})
            try:
                window = wait_for(lambda: main_window(CAPTION), timeout=120)
                time.sleep(5)  # the player asks for its page list and pages
                peak = peak_memory_mb("hostile-reader.exe")
                info = main_window(CAPTION)
                title = info["title"] if info else ""
                shot = e2e.screenshot(os.path.join(folder, os.path.basename(book) + ".png"))
                check(window is not None and process.poll() is None and expected(title, info, shot),
                      f"hostile: {label}: {outcome} ({title!r})")
                check(peak is not None and peak < HOSTILE_PEAK_MB,
                      f"hostile: {label}: peak memory {peak} MB < {HOSTILE_PEAK_MB} MB")
                print(f"     hostile row: {label} | {outcome} | peak {peak} MB", flush=True)
            finally:
                stop(process)
    finally:
        restore_window_placement()


def _giant_jpeg(jpeg):
    """The JPEG with its frame header saying 60000 x 60000 pixels; nothing else changed."""
    data = bytearray(jpeg)
    at = 2
    while at + 9 < len(data) and data[at] == 0xFF:
        marker, length = data[at + 1], struct.unpack(">H", data[at + 2:at + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            struct.pack_into(">HH", data, at + 5, 60000, 60000)
            break
        at += 2 + length
    return bytes(data)


def _giant_png():
    """A PNG whose header declares 60000 x 60000 pixels, with a few bytes of data."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    header = struct.pack(">IIBBBBB", 60000, 60000, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(64)))
            + chunk(b"IEND", b""))


def _append(book, name, data):
    with zipfile.ZipFile(book, "a") as archive:
        archive.writestr(name, data)
    return book


def _within(info, screen):
    x, y, w, h = (int(v) for v in info["window"].split(","))
    return x >= 0 and y >= 0 and x + w <= screen[0] and y + h <= screen[1] and w >= 320 and h >= 240


def pages_seen(info, shot):
    """The demo pages left and right of the stage's middle, wherever the pages stand
    and however large they are: on each side, the page whose paper most points down
    a line show (the number, the bars and the background match no paper)."""
    width, _, pixels = e2e.read_picture(shot)
    x, y, w, h = info["client"]

    def page_down(px):
        found = collections.Counter()
        for step in range(1, 20):
            i = ((y + h * step // 20) * width + px) * 3
            pixel = tuple(pixels[i:i + 3])
            page = min(range(1, 40), key=lambda p: sum(abs(a - b) for a, b in zip(pixel, page_colour(p))))
            if e2e.near(pixel, page_colour(page), 40):
                found[page] += 1
        return found.most_common(1)[0][0] if found else None

    return page_down(x + w // 2 - w // 8), page_down(x + w // 2 + w // 8)


PORTRAIT_SETTINGS = (b"<ExeConfig><ExeCaption>Portrait</ExeCaption><WindowOpenMode>1</WindowOpenMode>"
                     b"<WindowOpenWidth>480</WindowOpenWidth><WindowOpenHeight>760</WindowOpenHeight></ExeConfig>")


def view_file():
    """Where the reader keeps the page layout chosen in its Options menu."""
    return os.path.join(os.path.dirname(e2e.recent_list_file(SOURCE)), "view.ini")


def choose_from_menu(letter, rights, downs):
    """Opens a menu by its letter (Alt+letter), moves right to a menu whose caption has
    none, then down from its first item, and chooses: the keyboard's way to items
    without a letter of their own."""
    xdo("windowfocus", "--sync", x_window("^Vell Book Reader--")[0])
    xdo("key", "alt+" + letter)
    time.sleep(1)
    for key in ["Right"] * rights + ["Down"] * downs:
        xdo("key", key)
        time.sleep(0.3)
    xdo("key", "Return")


OPTIONS = {"Single page": 2, "Two pages": 3, "Automatic": 4}  # steps down from "&Fullscreen"


def choose_layout(caption):
    choose_from_menu("f", 1, OPTIONS[caption])


def go_to_page_box():
    return [w for w in reader_windows() if w == "window=VellToolkitWindow|Go to page"]


def comfort_books(folder):
    """A twelve-page demo book, and the same book asking for a portrait window."""
    book = demo_book(os.path.join(folder, "Comfort.vlq"), 12)
    portrait = os.path.join(folder, "Portrait.vlq")
    shutil.copy(book, portrait)
    return book, _append(portrait, "ExeConfig.xml", PORTRAIT_SETTINGS)


@contextlib.contextmanager
def own_view_file():
    """The check starts without a stored layout (Automatic) and leaves the file as it found it."""
    path = view_file()
    saved = open(path, "rb").read() if os.path.exists(path) else None
    if saved is not None:
        os.remove(path)
    try:
        yield path
    finally:
        e2e.stop_all()
        restore_file(path, saved)


def open_comfort_book(book, title, label):
    """Starts the reader on the book; its process and window once the pages show."""
    process = start(["-s" + windows_path(book)])
    info = wait_for(lambda: book_shown(title))
    if check(info is not None, f"{label}: the book opens"):
        xdo("windowfocus", "--sync", x_window("^Vell Book Reader--")[0])
        time.sleep(3)
    return process, info


def check_goto():
    """Ctrl+G asks for a page in a small box and turns there, in a landscape window
    (two pages) and in a portrait one (one page); Esc leaves the page as it is; the
    Help menu's Keys box lists the keys."""
    folder = fresh_folder("goto")
    if folder is None:
        return
    book, portrait = comfort_books(folder)
    with own_view_file():
        for label, path, title, spread in [
                ("goto, landscape", book, CAPTION + windows_path(book), (7, 8)),
                ("goto, portrait", portrait, CAPTION + "Portrait", (7, 7))]:
            process, info = open_comfort_book(path, title, label)
            try:
                if info is None:
                    continue
                _, _, w, h = info["client"]
                first = pages_seen(info, e2e.screenshot(os.path.join(folder, f"{label}-1.png")))
                check(first == (spread[0] - 6, spread[1] - 6),
                      f"{label}: a {w}x{h} stage first shows {(spread[0] - 6, spread[1] - 6)} ({first})")
                # A click on the left half at the first page turns nowhere; it puts
                # the keyboard in the player, where it is to come back after the box.
                x, y = info["client"][:2]
                xdo("mousemove", x + w // 4, y + h // 2, "click", "1")
                time.sleep(1)
                focus = main_window(title).get("focus", "")
                xdo("key", "ctrl+g")
                box = wait_for(go_to_page_box, timeout=30)
                if not check(box is not None, f"{label}: Ctrl+G shows the Go to page box"):
                    continue
                time.sleep(1)
                e2e.screenshot(os.path.join(folder, f"{label}-box.png"))
                xdo("type", "--delay", "50", "7")
                xdo("key", "Return")
                check(wait_for(lambda: not go_to_page_box(), timeout=30) is not None, f"{label}: Enter closes the box")
                time.sleep(2)
                seen = pages_seen(main_window(title), e2e.screenshot(os.path.join(folder, f"{label}-7.png")))
                check(seen == spread, f"{label}: page 7 typed shows {spread} ({seen})")
                after = main_window(title)
                check(after["title"] == title, f"{label}: the caption stays as the book set it")
                check(focus not in ("", TOOLKIT_CLASS) and after.get("focus") == focus,
                      f"{label}: the keyboard is back in the player ({focus} -> {after.get('focus')})")

                xdo("key", "ctrl+g")
                if check(wait_for(go_to_page_box, timeout=30) is not None, f"{label}: Ctrl+G again"):
                    xdo("type", "--delay", "50", "3")
                    xdo("key", "Escape")
                    check(wait_for(lambda: not go_to_page_box(), timeout=30) is not None,
                          f"{label}: Esc closes the box")
                    time.sleep(2)
                    seen = pages_seen(main_window(title), e2e.screenshot(os.path.join(folder, f"{label}-esc.png")))
                    check(seen == spread, f"{label}: after Esc the pages stay at {spread} ({seen})")
                if path == book:
                    choose_from_menu("h", 0, 1)
                    keys = wait_for(lambda: [d for d in dialogs() if d["title"] == "Keys"], timeout=30)
                    if check(keys is not None, f"{label}: Help, Keys shows the Keys box"):
                        e2e.screenshot(os.path.join(folder, "keys.png"))
                        # Its text has a line per key: the probe's lines after the box's own.
                        text = "\n".join(probe("dialogs")[1])
                        check(all(k in text for k in ("Ctrl+G", "Ctrl+Plus", "Ctrl+0", "F11", "Esc")),
                              f"{label}: the box lists the keys")
                        probe("press", "Keys")
                        check(wait_for(lambda: not [d for d in dialogs() if d["title"] == "Keys"], timeout=30)
                              is not None, f"{label}: OK closes the Keys box")
            finally:
                stop(process)


def check_layout():
    """Single page chosen in the Options menu shows one page in a landscape window,
    and the choice holds after a restart; Two pages shows two in a portrait window;
    Automatic follows the window's shape again."""
    folder = fresh_folder("layout")
    if folder is None:
        return
    book, portrait = comfort_books(folder)
    title = CAPTION + windows_path(book)
    # Per start of the reader: the steps, each a choice made (or none), then the
    # spread that shows.
    starts = [
        (book, title, [(None, (1, 2), "Automatic in a landscape window"),
                       ("Single page", (1, 1), "Single page in a landscape window")]),
        (book, title, [(None, (1, 1), "after a restart the landscape window"),
                       ("Automatic", (1, 2), "Automatic again in the landscape window")]),
        (portrait, CAPTION + "Portrait", [(None, (1, 1), "Automatic in a portrait window"),
                                          ("Two pages", (1, 2), "Two pages in a portrait window"),
                                          ("Automatic", (1, 1), "Automatic again in the portrait window")]),
    ]
    with own_view_file() as stored:
        for number, (path, window_title, steps) in enumerate(starts, 1):
            process, info = open_comfort_book(path, window_title, f"layout, start {number}")
            if info is None:
                return
            for step, (choice, expected, what) in enumerate(steps, 1):
                if choice:
                    choose_layout(choice)
                    time.sleep(2)
                shot = e2e.screenshot(os.path.join(folder, f"{number}-{step}.png"))
                seen = pages_seen(info, shot)
                check(seen == expected, f"layout: {what} shows {expected} ({seen})")
            stop(process)
            if number == 1:
                text = open(stored, "rb").read().decode("latin-1") if os.path.exists(stored) else ""
                check("PageLayout=single" in text,
                      f"layout: the choice is kept beside the recent list ({text.strip()!r})")

CHECKS = {"startup": check_startup, "accept": check_accept, "reject": check_reject,
          "beside": check_beside, "missing": check_missing, "pages": check_pages,
          "session": check_session, "names": check_names, "keys": check_keys,
          "resume": check_resume, "closing": check_closing, "hostile": check_hostile,
          "goto": check_goto, "layout": check_layout}

if __name__ == "__main__":
    os.makedirs(WORK, exist_ok=True)
    e2e.run(SOURCE, CHECKS, CHECK)
