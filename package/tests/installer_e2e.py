"""End to end: the installer of one Windows tree, rebuilt by scripts/package,
installed, used and removed under Wine in a prefix made for this test alone.

  installer_e2e.py SOURCE_DIR WORK_DIR FAILING_READER

The tree is the one CTest names (VELL_WINE_TREE), else the one this machine
runs (the 32-bit one where it can). WORK_DIR is wiped and holds the packages,
the prefix and the books. FAILING_READER is a program of the tree's machine
type that ends with exit code 2, as the reader does when it cannot write the
file-type keys. Needs a display (scripts/with-xvfb).
"""
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

SOURCE, WORK, FAILING_READER = sys.argv[1:4]
sys.path.insert(0, os.path.join(SOURCE, "app", "tests"))
import e2e_support as e2e  # noqa: E402

CAPTION = "Vell Book Reader--"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VellReader"


def shell(script):
    """Output of a bash script run with the project's shared settings."""
    return subprocess.run(["bash", "-c", f'source "{SOURCE}/scripts/common.sh"; {script}'],
                          capture_output=True, text=True, check=True).stdout.strip()


TREE = shell('echo "$VELL_WINE_TREE"')
VERSION = re.search(r"project\(VellReader VERSION (\d+\.\d+\.\d+)",
                    open(os.path.join(SOURCE, "CMakeLists.txt")).read()).group(1)
SUFFIX = "-x64" if TREE == "win64" else ""
PACKAGES = os.path.join(WORK, "packages")
PREFIX = os.path.join(WORK, "prefix")
# Each tree's installer runs in a prefix of its own architecture, where the
# reader's Program Files is the prefix's only one.
INSTALL_DIR = os.path.join(PREFIX, "drive_c", "Program Files", "Vell Reader")
WINDOWS_INSTALL_DIR = "C:\\Program Files\\Vell Reader"
UNINSTALLER = WINDOWS_INSTALL_DIR + "\\uninstall.exe"
RECENTS = os.path.join(PREFIX, "drive_c", "ProgramData", "vellBook", "Reader", "Recents")
SHORTCUT = os.path.join(PREFIX, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                        "Vell Reader.lnk")

LOADER = "/usr/lib/wine/wine64" if TREE == "win64" else "/usr/lib/wine/wine"
ENV = dict(os.environ, WINEPREFIX=PREFIX, WINEARCH=TREE, WINELOADER=LOADER, WINEDEBUG="-all",
           WINEDLLOVERRIDES="mscoree,mshtml=")


def wine(*args, timeout=300, display=True):
    env = ENV if display else {k: v for k, v in ENV.items() if k != "DISPLAY"}
    result = subprocess.run([LOADER, *args], env=env, stdin=subprocess.DEVNULL, capture_output=True,
                            text=True, errors="replace", timeout=timeout)
    return result.returncode, result.stdout


def wineserver(*args):
    subprocess.run(["wineserver", *args], env=ENV, timeout=300)


def reg_default(key):
    """The default value of a registry key, or None when the key is missing."""
    rc, out = wine("reg", "query", key, "/ve")
    if rc != 0:
        return None
    match = re.search(r"\(Default\)\s+REG_SZ\s+(.*)", out)
    return match.group(1).strip() if match else ""


def key_exists(key):
    return wine("reg", "query", key)[0] == 0


def make_fresh_prefix():
    shutil.rmtree(PREFIX, ignore_errors=True)
    os.makedirs(PREFIX)
    # No display: nothing of a first start may wait for an answer.
    wine("wineboot", "-i", display=False)
    wine("reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog", "/t", "REG_DWORD", "/d", "0",
         "/f", display=False)
    wineserver("-w")
    return os.path.exists(os.path.join(PREFIX, "system.reg"))


def wait_gone(path, timeout=120):
    return e2e.wait_for(lambda: not os.path.exists(path), timeout) is not None


def check_packages():
    """scripts/package writes both packages afresh into an empty folder."""
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    rc = subprocess.run([os.path.join(SOURCE, "scripts", "package"), TREE, "--out", PACKAGES],
                        stdin=subprocess.DEVNULL).returncode
    setup = os.path.join(PACKAGES, f"VellReader-{VERSION}{SUFFIX}-setup.exe")
    portable = os.path.join(PACKAGES, f"VellReader-{VERSION}{SUFFIX}-portable.zip")
    e2e.check(rc == 0, f"scripts/package {TREE} succeeds")
    e2e.check(shell(f'vell_pe_tree "{setup}"') == TREE, f"the installer is a {TREE} program")
    if e2e.check(os.path.exists(portable), "the portable zip is written"):
        with zipfile.ZipFile(portable) as archive:
            e2e.check(sorted(archive.namelist()) == ["README.md", "reader.exe"],
                      f"the portable zip holds reader.exe and README.md: {archive.namelist()}")
            archive.extract("reader.exe", os.path.join(WORK, "portable"))
    return setup


def check_failed_registration():
    """An installer whose reader cannot register the file type says so in its
    exit code and leaves nothing installed."""
    setup = os.path.join(WORK, "failing-setup.exe")
    subprocess.run(["makensis", "-V1", f"-DARCH={'x64' if TREE == 'win64' else 'x86'}", f"-DVERSION={VERSION}",
                    f"-DREADER={FAILING_READER}", f"-DOUTFILE={setup}",
                    os.path.join(SOURCE, "package", "reader.nsi")], check=True)
    rc, _ = wine(setup, "/S")
    e2e.check(rc == 2, f"a failed registration ends the silent installer with exit code 2 (got {rc})")
    e2e.check(not os.path.exists(INSTALL_DIR), "and leaves no installation folder")
    e2e.check(not key_exists(UNINSTALL_KEY), "and no uninstall entry")
    e2e.check(not os.path.exists(SHORTCUT), "and no Start menu shortcut")


def check_install(setup):
    rc, _ = wine(setup, "/S")
    e2e.check(rc == 0, f"the silent install succeeds (exit code {rc})")
    exe = WINDOWS_INSTALL_DIR + "\\reader.exe"
    e2e.check(os.path.exists(os.path.join(INSTALL_DIR, "reader.exe")), "reader.exe is in Program Files")
    installed = os.path.join(INSTALL_DIR, "reader.exe")
    e2e.check(shell(f'vell_pe_tree "{installed}"') == TREE, f"the installed reader is a {TREE} program")
    portable = os.path.join(WORK, "portable", "reader.exe")
    e2e.check(os.path.exists(installed) and os.path.exists(portable) and
              open(installed, "rb").read() == open(portable, "rb").read(),
              "the portable zip carries the same reader")
    e2e.check(os.path.exists(SHORTCUT), "the Start menu of all users holds the shortcut")
    e2e.check(reg_default(r"HKCR\.vlq") == "VellReader.vlq", '".vlq" names VellReader.vlq')
    e2e.check(reg_default(r"HKCR\VellReader.vlq\shell\open\command") == f'"{exe}" -s"%1"',
              "the open command starts the installed reader")
    e2e.check(reg_default(r"HKCR\VellReader.vlq\DefaultIcon") == f'"{exe}",0', "the icon is the installed reader's")
    rc, out = wine("reg", "query", UNINSTALL_KEY)
    e2e.check(rc == 0 and "Vell Reader" in out, "the uninstall entry is present")
    e2e.check(f'"{UNINSTALLER}" /S' in out, "with its quiet uninstall command")


def check_open_by_association():
    """The book is started the way a double click starts it; the folder has a
    blank in its name, which the open command's quotes must carry, and the
    book's name is Greek, outside the prefix's Western code page."""
    book = e2e.write_book(os.path.join(WORK, "my books", "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.vlq"))
    expected = CAPTION + e2e.windows_path(book)
    process = subprocess.Popen([LOADER, "start", "/unix", book], env=ENV, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = e2e.wait_window("^" + re.escape(expected) + "$", timeout=120)
    process.wait(timeout=120)
    if not e2e.check(window is not None, f'"start" of the book shows the window "{expected}"'):
        e2e.screenshot(os.path.join(WORK, "no-reader-window.png"))
        return
    e2e.screenshot(os.path.join(WORK, "opened-by-association.png"))
    ini = os.path.join(RECENTS, "open.ini")
    recent = e2e.wait_for(lambda: os.path.exists(ini) and open(ini, "rb").read(), timeout=30)
    e2e.check(recent is not None, "the opening wrote the recent list")
    pid = e2e.xdo("getwindowpid", window).strip()
    if pid.isdigit():
        os.kill(int(pid), 9)
    e2e.check(e2e.wait_for(lambda: not e2e.find_windows("^" + re.escape(CAPTION)), timeout=60) is not None,
              "the reader is stopped before the uninstall")


def check_failed_removal():
    """An uninstaller whose reader cannot remove the file type says so in its
    exit code and keeps the installation whole. Run in place (_?=), so that
    its exit code is its own."""
    exe = os.path.join(INSTALL_DIR, "reader.exe")
    reader = open(exe, "rb").read()
    shutil.copy(FAILING_READER, exe)
    # "_?=" takes the rest of the command line unquoted, which Wine's own
    # argument quoting would spoil; cmd passes a batch line on as written.
    batch = os.path.join(WORK, "uninstall-in-place.bat")
    with open(batch, "w", newline="\r\n") as script:
        script.write(f'@"{UNINSTALLER}" /S _?={WINDOWS_INSTALL_DIR}\n@exit /b %ERRORLEVEL%\n')
    rc, _ = wine("cmd", "/c", e2e.windows_path(batch))
    e2e.check(rc == 2, f"a failed removal ends the silent uninstaller with exit code 2 (got {rc})")
    e2e.check(all(os.path.exists(path) for path in (exe, os.path.join(INSTALL_DIR, "uninstall.exe"), SHORTCUT)),
              "and keeps the installed files and the shortcut")
    e2e.check(key_exists(UNINSTALL_KEY), "and the uninstall entry")
    with open(exe, "wb") as restored:
        restored.write(reader)


def check_uninstall():
    recents_before = {name: open(os.path.join(RECENTS, name), "rb").read() for name in os.listdir(RECENTS)} \
        if os.path.isdir(RECENTS) else {}
    rc, _ = wine(UNINSTALLER, "/S")
    # The uninstaller hands over to a copy of itself and returns at once.
    e2e.check(rc == 0, f"the silent uninstaller starts (exit code {rc})")
    e2e.check(wait_gone(INSTALL_DIR), "the installation folder is gone with every file in it")
    wineserver("-w")
    e2e.check(not os.path.exists(SHORTCUT), "the Start menu shortcut is gone")
    e2e.check(not key_exists(r"HKCR\.vlq"), '".vlq" is no longer registered')
    e2e.check(not key_exists(r"HKCR\VellReader.vlq"), "VellReader.vlq is gone")
    e2e.check(not key_exists(UNINSTALL_KEY), "the uninstall entry is gone")
    recents_after = {name: open(os.path.join(RECENTS, name), "rb").read() for name in os.listdir(RECENTS)} \
        if os.path.isdir(RECENTS) else {}
    e2e.check(recents_before and recents_after == recents_before,
              f"the recent list stays as it was: {sorted(recents_after)}")


def main():
    if not os.environ.get("DISPLAY"):
        print("needs a display (run under scripts/with-xvfb)")
        sys.exit(1)
    print(f"tree {TREE}, version {VERSION}", flush=True)
    try:
        setup = check_packages()
        if not os.path.exists(setup):
            sys.exit(1)
        if not e2e.check(make_fresh_prefix(), f"a fresh prefix in {PREFIX}"):
            sys.exit(1)
        check_failed_registration()
        check_install(setup)
        check_open_by_association()
        check_failed_removal()
        check_uninstall()
    finally:
        # Only this test's own prefix: its server and every program in it.
        if os.path.isdir(PREFIX):
            wineserver("-k")
    print(f"{len(e2e.failures)} check(s) failed" if e2e.failures else "all checks passed", flush=True)
    sys.exit(1 if e2e.failures else 0)


if __name__ == "__main__":
    main()
