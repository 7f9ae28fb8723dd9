# Shared paths and environment for the project's scripts; sourced, not run.
VELL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VELL_BUILD="$VELL_ROOT/build"
VELL_DEPS="$VELL_BUILD/deps"
export WINEPREFIX="$VELL_BUILD/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win32
# Keep Wine from offering to install Mono/Gecko: nothing may wait for an answer.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

vell_log() { printf '== %s\n' "$*" >&2; }
