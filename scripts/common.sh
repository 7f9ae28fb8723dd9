# Shared paths and environment for the project's scripts; sourced, not run.
VELL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VELL_BUILD="$VELL_ROOT/build"
# Libraries built once by scripts/setup; another checkout may share them.
VELL_DEPS="${VELL_DEPS:-$VELL_BUILD/deps}"
export WINEDEBUG="${WINEDEBUG:--all}"
# Keep Wine from offering to install Mono/Gecko: nothing may wait for an answer.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

vell_log() { printf '== %s\n' "$*" >&2; }

# Whether this machine runs 32-bit x86 Linux programs. Wine's 32-bit side is
# one, and some x86-64 kernels refuse them all ("Exec format error"). Asked by
# running a 96-byte static i386 program that exits with 42, so no package has
# to be installed to find out. VELL_NO_32BIT=1 answers "no" on any machine.
vell_runs_32bit() {
  [ "${VELL_NO_32BIT:-0}" = 1 ] && return 1
  if [ -z "${VELL_RUNS_32BIT:-}" ]; then
    local probe rc
    probe="$(mktemp "${TMPDIR:-/tmp}/vell-i386-probe.XXXXXX")"
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\010\064\0\0\0\0\0\0\0\0\0\0\0\064\0\040\0\1\0\0\0\0\0\0\0' >"$probe"
    printf '\1\0\0\0\0\0\0\0\0\200\4\010\0\200\4\010\140\0\0\0\140\0\0\0\5\0\0\0\0\020\0\0' >>"$probe"
    printf '\270\1\0\0\0\273\052\0\0\0\315\200' >>"$probe"
    chmod +x "$probe"
    rc=0; "$probe" 2>/dev/null || rc=$?
    rm -f "$probe"
    if [ "$rc" = 42 ]; then VELL_RUNS_32BIT=yes; else VELL_RUNS_32BIT=no; fi
    export VELL_RUNS_32BIT
  fi
  [ "$VELL_RUNS_32BIT" = yes ]
}

# The reason the 32-bit Windows suites cannot run here, for the one line that says so.
vell_no_32bit_reason() {
  if [ "${VELL_NO_32BIT:-0}" = 1 ]; then echo "VELL_NO_32BIT=1 is set"
  else echo "this machine's kernel runs no 32-bit Linux programs, so Wine's 32-bit side cannot start"; fi
}

# The Windows trees whose programs this machine can run, the shipped one first.
vell_runnable_windows_trees() {
  if vell_runs_32bit; then echo "win32 win64"; else echo "win64"; fi
}

# Points Wine at the private prefix of a Windows tree: a 32-bit prefix for
# win32, a 64-bit one for win64. Never the user's own prefix.
vell_use_wine_tree() {
  export VELL_WINE_TREE="$1"
  case "$1" in
    win32) export WINEPREFIX="$VELL_BUILD/wineprefix" WINEARCH=win32 VELL_WINE_LOADER=/usr/lib/wine/wine ;;
    win64) export WINEPREFIX="$VELL_BUILD/wineprefix64" WINEARCH=win64 VELL_WINE_LOADER=/usr/lib/wine/wine64 ;;
    *) echo "unknown Windows tree: $1" >&2; return 2 ;;
  esac
  # Debian's "wine" command prefers the 32-bit loader whenever it is
  # installed; a 64-bit prefix needs the 64-bit one.
  export WINELOADER="$VELL_WINE_LOADER"
  # Wine reads Linux file names through the locale's character set: under a
  # locale without one (plain C, as on a fresh machine) a book named outside
  # ASCII would not reach the reader whole. The prefix's code page stays Western.
  case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in *UTF-8* | *utf8*) ;; *) export LC_ALL=C.UTF-8 ;; esac
}
wine() { "$VELL_WINE_LOADER" "$@"; }

# The machine a PE file is built for: win32, win64 or nothing.
vell_pe_tree() {
  local file="$1" offset machine
  [ -f "$file" ] || return 0
  offset="$(od -An -tu4 -j60 -N4 "$file" 2>/dev/null | tr -d ' ')"
  [ -n "$offset" ] || return 0
  machine="$(od -An -tx2 -j$((offset + 4)) -N2 "$file" 2>/dev/null | tr -d ' ')"
  case "$machine" in 014c) echo win32 ;; 8664) echo win64 ;; esac
}

# Scripts that run Windows programs get the tree they were told, else the
# shipped 32-bit one where it runs, else the 64-bit one.
if [ -n "${VELL_WINE_TREE:-}" ]; then
  vell_use_wine_tree "$VELL_WINE_TREE"
elif vell_runs_32bit; then
  vell_use_wine_tree win32
else
  vell_use_wine_tree win64
fi
