#!/usr/bin/env bash
# Runs a Windows program under wine in the project's own prefix, made once with wine's
# null graphics driver: windows (the engine's hidden one) work without an X display.
#
#   scripts/windows-wine.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/drovane-wine}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/.drovane-ready" ]; then
  mkdir -p "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  touch "$WINEPREFIX/.drovane-ready"
fi
exec wine "$@"
