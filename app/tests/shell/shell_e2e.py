#!/usr/bin/env python3
"""End-to-end checks of the reader's shell, run from outside under Wine and Xvfb.

Usage: shell_e2e.py SOURCE_DIR READER_EXE WORK_DIR CHECK
CHECK is one of: history, startup, clicks, registry, log, screens.
The reader runs in the project's private Wine prefix through scripts/wine-run;
every process started here is stopped by its own id.
"""
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import e2e_support as e2e  # noqa: E402
from e2e_support import check, find_windows, stop, wait_for, wait_window, windows_path, xdo  # noqa: E402

SOURCE, READER, WORK, CHECK = sys.argv[1:5]
WINE_RUN = e2e.wine_run(SOURCE)
INI = e2e.recent_list_file(SOURCE)
RECENTS = os.path.dirname(INI)
SCREENS = os.environ.get("VELL_SCREENS_DIR", os.path.join(WORK, "screens"))
# What the screens check saves for people to look at; other shots stay in WORK.
KEPT_SCREENS = {"startup-panel.png", "startup-panel-hover.png", "about.png", "recent-files-menu.png"}


def make_book(path):
    return e2e.write_book(path)


def start(args, env=None, exe=READER):
    return e2e.start(SOURCE, exe, args, env)


def keeps_ini(check_function):
    """The check may rewrite the prefix's recent list; it gets back what it held."""
    def wrapped():
        saved = open(INI, "rb").read() if os.path.exists(INI) else None
        try:
            check_function()
        finally:
            if saved is not None:
                open(INI, "wb").write(saved)
            elif os.path.exists(INI):
                os.remove(INI)
    return wrapped


def read_ini():
    return e2e.recent_list(SOURCE)


def write_ini(paths):
    os.makedirs(RECENTS, exist_ok=True)
    lines = ["[History Files]"] + [f"{i}={p}" for i, p in enumerate(paths, 1)]
    with open(INI, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("latin-1"))


def open_book(path):
    """Starts the reader with the book and waits until the recent list holds it."""
    process = start(["-s" + path])
    try:
        recorded = wait_for(lambda: read_ini().get("1") == path, timeout=60)
        check(recorded is not None, f"opening {path} puts it under key 1")
    finally:
        stop(process)


def screenshot(name):
    return e2e.screenshot(os.path.join(SCREENS if name in KEPT_SCREENS else os.path.join(WORK, "screens"), name))


@keeps_ini
def check_history():
    write_ini([])
    books = os.path.join(WORK, "history")
    shutil.rmtree(books, ignore_errors=True)
    a = windows_path(make_book(os.path.join(books, "A.vlq")))
    b = windows_path(make_book(os.path.join(books, "B.vlq")))
    for path in (a, b, a):
        open_book(path)
    ini = read_ini()
    check(ini.get("1") == a and ini.get("2") == b, f"after A, B, A: key 1 is A, key 2 is B ({ini})")
    check(all(ini.get(str(k)) == "" for k in range(3, 9)), "keys 3 to 8 are empty")

    upper = a[:-len("A.vlq")].upper() + "a.VLQ"
    open_book(upper)
    ini = read_ini()
    check(ini.get("1") == upper and ini.get("2") == b and ini.get("3") == "",
          f"a path in other letter case replaces the older one ({ini})")

    write_ini([])
    nine = [windows_path(make_book(os.path.join(books, f"Book{i}.vlq"))) for i in range(1, 10)]
    for path in nine:
        open_book(path)
    ini = read_ini()
    check([ini.get(str(k)) for k in range(1, 9)] == nine[:0:-1], f"nine books leave the newest eight ({ini})")
    check("9" not in ini and len(ini) == 8, "no ninth key is written")


def show_startup(paths, name):
    write_ini(paths)
    process = start([])
    try:
        window = wait_window("^Vell Reader$")
        check(window is not None, "the main window opens with the start-up panel")
        if window is None:
            return None, []
        time.sleep(2)  # let the panel paint
        shot = screenshot(name)
        return e2e.link_bands(shot)
    finally:
        stop(process)


@keeps_ini
def check_startup():
    empty_origin, empty = show_startup([], "startup-empty.png")
    check(len(empty) == 1, f"empty list: only the Open... link ({empty})")
    eight = [f"C:\\Books\\Book{i}.vlq" for i in range(8, 0, -1)]
    origin, full = show_startup(eight, "startup-eight.png")
    check(len(full) == 6, f"eight books: five recent links and Open... ({full})")
    if len(empty) == 1 and len(full) == 6:
        first_link, open_empty = full[0][0], empty[0][0]
        check(abs(open_empty - first_link) <= 3,
              f"empty list: Open... stands at the first link's place ({open_empty}, {first_link})")
        gaps = [full[i + 1][0] - full[i][0] for i in range(5)]
        # Recent links sit 2 pixels below their icons, Open... level with its
        # icon 24 pixels below the last one: 22 pixels between all texts
        # (give or take the round top of the "O").
        check(gaps[:4] == [22] * 4 and abs(gaps[4] - 22) <= 2,
              f"links are 22 pixels apart, Open... below the fifth ({gaps})")


def open_recent_files_menu(window):
    """Opens File, then Recent files, with the mouse; returns the window's origin."""
    wx, wy = e2e.geometry(window)[:2]
    xdo("mousemove", wx + 15, wy + 10, "click", "1")
    time.sleep(1)
    xdo("mousemove", wx + 60, wy + 73)
    time.sleep(1.5)
    return wx, wy


@keeps_ini
def check_clicks():
    """A recent book opens from the start-up panel's link and from the Recent files menu."""
    books = os.path.join(WORK, "clicks")
    shutil.rmtree(books, ignore_errors=True)
    first = windows_path(make_book(os.path.join(books, "First.vlq")))
    second = windows_path(make_book(os.path.join(books, "Second.vlq")))
    write_ini([first, second])
    process = start([])
    try:
        window = wait_window("^Vell Reader$")
        check(window is not None, "the main window opens")
        time.sleep(2)
        origin, bands = e2e.link_bands(screenshot("clicks-startup.png"))
        check(len(bands) == 3, f"two recent links and Open... ({bands})")
        if origin and len(bands) == 3:
            xdo("mousemove", origin[0] + 60, origin[1] + bands[1][0] + 4, "click", "1")
            # The caption names the book before the check has passed and the list is written.
            opened = wait_window(re.escape("Vell Book Reader--" + second), timeout=30)
            check(opened is not None, "the second link opens its book")
            check(wait_for(lambda: read_ini().get("1") == second, timeout=30), "and moves it to the top of the list")
        if window:
            # File, Recent files, then the item below the top separator: now the second book.
            wx, wy = open_recent_files_menu(window)
            xdo("mousemove", wx + 180, wy + 99)
            time.sleep(0.5)
            screenshot("clicks-menu.png")
            xdo("click", "1")
            opened = wait_window(re.escape("Vell Book Reader--" + first), timeout=30)
            check(opened is not None, "the menu item \"&2\" opens the other book")
            check(wait_for(lambda: read_ini().get("1") == first, timeout=30), "and moves it to the top of the list")
    finally:
        stop(process)


def reg_query(key):
    result = subprocess.run([WINE_RUN, "reg", "query", key, "/s"], capture_output=True, text=True,
                            encoding="latin-1")
    if result.returncode != 0:
        return None
    values, current = {}, None
    for line in result.stdout.splitlines():
        if line.startswith("HKEY_"):
            current = line.strip()
        elif line.strip().startswith("(Default)") or "REG_" in line:
            parts = re.split(r"\s{2,}|\t", line.strip(), maxsplit=2)
            if len(parts) == 3:
                values[(current, parts[0])] = (parts[1], parts[2])
    return values


def run_switch(args, timeout=90):
    """Runs the reader with a setup switch; returns (exit code, whether a window appeared)."""
    process = start(args)
    saw_window = False
    deadline = time.time() + timeout
    while process.poll() is None and time.time() < deadline:
        saw_window = saw_window or bool(find_windows("^Vell Reader"))
        time.sleep(0.2)
    if process.poll() is None:
        stop(process)
        return None, saw_window
    return process.returncode, saw_window


def check_registry():
    exe = windows_path(READER)
    run_switch(["-R"])
    for switch in ("-I", "-i"):
        code, window = run_switch([switch])
        check(code == 0 and not window, f"{switch}: ends with 0 and shows no window ({code}, {window})")
        ext, cls = reg_query("HKCR\\.vlq"), reg_query("HKCR\\VellReader.vlq")
        check(ext == {("HKEY_CLASSES_ROOT\\.vlq", "(Default)"): ("REG_SZ", "VellReader.vlq")},
              f"{switch}: .vlq names VellReader.vlq ({ext})")
        expected = {
            ("HKEY_CLASSES_ROOT\\VellReader.vlq\\DefaultIcon", "(Default)"): ("REG_SZ", f'"{exe}",0'),
            ("HKEY_CLASSES_ROOT\\VellReader.vlq\\shell\\open\\command", "(Default)"):
                ("REG_SZ", f'"{exe}" -s"%1"'),
        }
        check(cls == expected, f"{switch}: open command and icon, nothing else ({cls})")
    for switch in ("-R", "-r"):
        code, window = run_switch([switch])
        check(code == 0 and not window, f"{switch}: ends with 0 and shows no window ({code}, {window})")
        check(reg_query("HKCR\\.vlq") is None and reg_query("HKCR\\VellReader.vlq") is None,
              f"{switch}: both keys are gone")

    process = start(["-I", "second"])
    try:
        check(wait_window("^Vell Reader$") is not None, "-I with a second argument starts the window")
    finally:
        stop(process)
    check(reg_query("HKCR\\.vlq") is None, "-I with a second argument registers nothing")


def check_log():
    folder = os.path.join(WORK, "log")
    exe = e2e.reader_copy(READER, folder)

    def run_with(env):
        process = start([], env=env, exe=exe)
        try:
            window = wait_window("^Vell Reader$")
            check(window is not None, f"the window opens ({env})")
            if window:
                xdo("windowfocus", window)
                for key in ("a", "Right", "b"):
                    xdo("key", key)
                    time.sleep(0.3)
                time.sleep(1)
        finally:
            stop(process)

    os.environ.pop("VELL_READER_LOG", None)
    run_with({})
    check(sorted(os.listdir(folder)) == ["reader.exe"], f"logging off writes no file ({os.listdir(folder)})")

    run_with({"VELL_READER_LOG": "trace.txt"})
    trace = os.path.join(folder, "trace.txt")
    check(os.path.exists(trace), "a bare log file name lands beside the executable")
    if os.path.exists(trace):
        lines = open(trace, "rb").read().decode("latin-1").split("\r\n")
        check(lines[-1] == "", "every line ends in CR LF")
        pattern = re.compile(r"^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d): (.*)$")
        matched = [pattern.match(line) for line in lines[:-1]]
        check(matched and all(matched), f"lines read 'yyyy-mm-dd hh:mm:ss: message' ({lines[:3]})")
        if matched and all(matched):
            check(matched[0].group(2) == "Loading book.swf...", "the first line is the window's creation")
            stamps = [m.group(1) for m in matched]
            check(stamps == sorted(stamps), "lines stand in call order")


@keeps_ini
def check_screens():
    """Screenshots of the start-up panel (with a hovered link) and of the About box."""
    write_ini(["C:\\Books\\Atlas of Rivers.vlq", "D:\\Library\\Garden Year.vlq", "C:\\Other\\Garden Year.vlq"])
    process = start([])
    try:
        window = wait_window("^Vell Reader$")
        check(window is not None, "the main window opens")
        time.sleep(2)
        origin, bands = e2e.link_bands(screenshot("startup-panel.png"))
        if origin and bands:
            x, y = origin[0] + 60, origin[1] + bands[0][0] + 4
            xdo("mousemove", x, y)
            time.sleep(2.5)
            screenshot("startup-panel-hover.png")
            xdo("mousemove", "5", "5")
        about = None
        if origin:
            # The "About" link of the right column, 130 pixels down.
            ax, ay = origin[0] + 378 + 16 + 8, origin[1] + 130 + 6
            xdo("mousemove", ax, ay, "click", "1")
            about = wait_window("^About$", timeout=20)
        check(about is not None, "the About link opens the About box")
        if about:
            time.sleep(1)
            screenshot("about.png")
            xdo("key", "Escape")
            gone = wait_for(lambda: not find_windows("^About$"), timeout=20)
            check(gone is not None, "Esc closes the About box")
        if window:
            # Separators around "&1 ...", "&2 ...".
            open_recent_files_menu(window)
            screenshot("recent-files-menu.png")
            xdo("key", "Escape", "Escape")
    finally:
        stop(process)


if __name__ == "__main__":
    e2e.run(SOURCE, {"history": check_history, "startup": check_startup, "clicks": check_clicks,
                     "registry": check_registry, "log": check_log, "screens": check_screens}, CHECK)
