"""What the reader's end-to-end checks share: starting reader.exe under Wine in
the project's private prefix, stopping it by its own process id, finding its
windows with xdotool, screenshots, the pass/fail record and the lock that keeps
two checks from changing the prefix's state (recent list, registry) at once.

The scripts import it as `import e2e_support as e2e` after putting this folder
on sys.path.
"""
import contextlib
import fcntl
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

# A movie header the book check accepts and a run-time file beside it.
MOVIE = b"FWS\x0a" + (30).to_bytes(4, "little") + bytes(22)
CONFIG = b'<book title="t"><page src="files/pages/001.jpg"/></book>'

failures = []
running = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message, flush=True)
    if not condition:
        failures.append(message)
    return condition


def windows_path(path):
    """The path as the reader sees it through Wine's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine_run(source):
    return os.path.join(source, "scripts", "wine-run")


def prefix_folder(source):
    """The private prefix of the Windows tree under test (CTest names the tree)."""
    tree = os.environ.get("VELL_WINE_TREE", "win32")
    return os.path.join(source, "build", "wineprefix64" if tree == "win64" else "wineprefix")


@contextlib.contextmanager
def prefix_lock(source):
    """Held while a check uses the prefix's state. CTest's resource lock only
    orders the tests of one run; this also orders runs from other build trees,
    which share the one prefix."""
    path = prefix_folder(source) + ".e2e-lock"
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "a") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        try:
            yield
        finally:
            fcntl.flock(lock, fcntl.LOCK_UN)


def start(source, exe, args=(), env=None):
    """Starts exe under Wine. Output goes nowhere: a pipe would stay open as
    long as any Wine helper that inherited it, and a full one would stall."""
    full_env = dict(os.environ)
    full_env.update(env or {})
    process = subprocess.Popen([wine_run(source), exe, *args], env=full_env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    running.append(process)
    return process


def stop(process):
    """Kills the process by its own id (wine-run execs wine, so the id stays the reader's)."""
    if process.poll() is None:
        process.kill()
    process.wait(timeout=60)
    if process in running:
        running.remove(process)


def stop_all():
    for process in list(running):
        stop(process)


def run_probe(source, probe, *args):
    """The probe program's exit code and output lines for one command."""
    # Output goes through a file: a pipe would stay open as long as any Wine
    # helper process that inherited it, long after the probe has ended.
    with tempfile.TemporaryFile() as out:
        result = subprocess.run([wine_run(source), probe, *args], stdout=out, stderr=subprocess.DEVNULL, timeout=120)
        out.seek(0)
        text = out.read().decode("utf-8", errors="replace")
    return result.returncode, text.replace("\r", "").splitlines()


def probe_window(source, probe, prefix):
    """What the probe program sees of the top-level window whose title starts with
    prefix, or None: its "client" rectangle (x, y, w, h) on the screen, its
    "children" as ((x, y, w, h), class) pairs, every other line as text."""
    code, lines = run_probe(source, probe, "main", prefix)
    if code != 0:
        return None
    info = {"children": []}
    for line in lines:
        key, _, value = line.partition("=")
        if key == "child":
            rectangle, _, cls = value.partition("|")
            info["children"].append((tuple(int(v) for v in rectangle.split(",")), cls))
        else:
            info[key] = value
    if "client" not in info:
        return None
    info["client"] = tuple(int(v) for v in info["client"].split(","))
    return info


def hue_walk_colour(page, value, saturation):
    """The paper colour of a page of a generated book whose pages walk round the
    hues by the golden ratio, so that neighbours differ most."""
    hue = (page * 0.61803398875) % 1.0 * 6.0
    sector, f = int(hue), hue - int(hue)
    v, s = value, saturation
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][sector % 6]
    return int(r * 255), int(g * 255), int(b * 255)


def wait_for(predicate, timeout=90, interval=0.3):
    """The predicate's first true value within timeout seconds, else None."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    return None


def xdo(*args):
    """Runs xdotool; a call that hangs (focus that never comes) does not stop the test."""
    try:
        return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, timeout=20).stdout
    except subprocess.TimeoutExpired:
        return ""


def find_windows(title_pattern):
    """Ids of the visible X windows whose title matches the regular expression."""
    return xdo("search", "--onlyvisible", "--name", title_pattern).split()


def wait_window(title_pattern, timeout=60):
    found = wait_for(lambda: find_windows(title_pattern), timeout)
    return found[0] if found else None


def geometry(window):
    """(x, y, width, height) of an X window on the screen, or None."""
    values = dict(line.split("=", 1) for line in xdo("getwindowgeometry", "--shell", window).split() if "=" in line)
    if not all(k in values for k in ("X", "Y", "WIDTH", "HEIGHT")):
        return None
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def screenshot(target, window="root"):
    os.makedirs(os.path.dirname(os.path.abspath(target)), exist_ok=True)
    subprocess.run(["import", "-window", window, target], check=True)
    return target


def _ppm(data):
    fields = data.split(maxsplit=4)
    return int(fields[1]), int(fields[2]), fields[4]


def read_picture(path):
    """(width, height, RGB bytes) of a picture file."""
    return _ppm(subprocess.run(["convert", path, "ppm:-"], capture_output=True, check=True).stdout)


def read_screen(x, y, width, height):
    """(width, height, RGB bytes) of a rectangle of the screen."""
    return _ppm(subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "ppm:-"],
                               capture_output=True, check=True).stdout)


def reader_copy(reader, folder, name="reader.exe"):
    """A copy of the reader alone in a fresh folder, for checks that depend on
    what lies beside the executable."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    exe = os.path.join(folder, name)
    shutil.copy(reader, exe)
    return exe


def write_book(path, entries=None):
    """A book file written with Python's zipfile; entries maps archive names to contents."""
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with zipfile.ZipFile(path, "w") as book:
        for name, data in (entries or {"book.swf": MOVIE, "files/config.xml": CONFIG}).items():
            book.writestr(name, data)
    return path


def recent_list_file(source):
    """The recent list's INI file in the prefix of the tree under test."""
    return os.path.join(prefix_folder(source), "drive_c", "ProgramData", "vellBook", "Reader", "Recents", "open.ini")


def resume_file(source):
    """The file beside the recent list where the reader keeps each book's last page."""
    return os.path.join(os.path.dirname(recent_list_file(source)), "resume.txt")


def recent_list(source):
    """The recent list's [History Files] values by key ("1" is the newest)."""
    values = {}
    path = recent_list_file(source)
    if not os.path.exists(path):
        return values
    section = None
    with open(path, "rb") as f:
        data = f.read()
    # The reader writes UTF-16 with its mark; a list from an older version is 8-bit.
    text = data[2:].decode("utf-16-le") if data.startswith(b"\xff\xfe") else data.decode("cp1252", errors="replace")
    for raw in text.splitlines():
        line = raw.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
        elif "=" in line and section == "History Files":
            key, value = line.split("=", 1)
            values[key.strip()] = value
    return values


# The start-up panel's link text and its surfaces.
LINK = (86, 99, 146)
PANEL = (248, 248, 249)


def near(pixel, colour, tolerance):
    return sum(abs(a - b) for a, b in zip(pixel, colour)) <= tolerance


def link_coloured(pixel):
    # Smoothed black headings give greys near the link colour; links are blue.
    return near(pixel, LINK, 90) and pixel[2] - pixel[0] >= 30


def link_bands(path):
    """Rows of link-coloured text in the start-up panel's main area, as (top, bottom) bands,
    relative to the area's top-left corner."""
    width, height, pixels = read_picture(path)

    def at(x, y):
        i = (y * width + x) * 3
        return tuple(pixels[i:i + 3])

    # The main area and the right column are the only near-white (248, 248, 249) surfaces;
    # their top-left corner is the first such run of 300 pixels.
    origin = None
    for y in range(height):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        key = bytes(PANEL) * 300
        x3 = row.find(key)
        while x3 != -1 and x3 % 3:
            x3 = row.find(key, x3 + 1)
        if x3 != -1:
            origin = (x3 // 3, y)
            break
    if origin is None:
        return None, []
    ox, oy = origin
    # Link texts start 50 pixels into the area, right of the icons (the book icon
    # shares the link colour).
    rows = []
    for y in range(oy, min(oy + 264, height)):
        rows.append(any(link_coloured(at(x, y)) for x in range(ox + 48, min(ox + 370, width))))
    bands, top = [], None
    for i, has in enumerate(rows + [False]):
        if has and top is None:
            top = i
        elif not has and top is not None:
            if bands and top - bands[-1][1] <= 2:  # a glyph's light rim, same line
                top = bands.pop()[0]
            bands.append((top, i))
            top = None
    return origin, bands


def run(source, checks, name):
    """Runs checks[name] under the prefix lock, stops what it left running and exits 1 on any failure."""
    if not os.environ.get("DISPLAY"):
        print("needs a display (run under scripts/with-xvfb)")
        sys.exit(1)
    with prefix_lock(source):
        try:
            checks[name]()
        finally:
            stop_all()
    print(f"{name}: {len(failures)} check(s) failed" if failures else f"{name}: all checks passed", flush=True)
    sys.exit(1 if failures else 0)
