#!/usr/bin/env bash
# Checks a built drovane.dll: its export table equals src/exports/exports.list exactly,
# with undecorated names (no stdcall "@N"), and it and the worker program beside it import
# system DLLs only. When the command-line host drovane.exe sits beside it, every name that
# host imports from the DLL, through the import library, must be one the DLL exports.
#
#   scripts/check-windows-dll.sh build/windows-i686/drovane.dll [i686|x64]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
dll="${1:?usage: check-windows-dll.sh DLL [i686|x64]}"
case "${2:-i686}" in
  i686) objdump=i686-w64-mingw32-objdump ;;
  x64) objdump=x86_64-w64-mingw32-objdump ;;
  *) echo "check-windows-dll: unknown target $2" >&2; exit 2 ;;
esac
# DLLs every Windows installation has; anything else would have to ship beside ours.
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comdlg32|comctl32|winmm|ws2_32|msvcrt|msvfw32|avifil32|bcrypt|shlwapi|version|api-ms-win-[a-z0-9-]+)\.dll$'

dump="$("$objdump" -p "$dll")"
tmp="$(mktemp -d)"; trap 'rm -rf "$tmp"' EXIT
# The export name table: "[ordinal] name" rows after "[Ordinal/Name Pointer] Table".
sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
  sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]\+\([^[:space:]]\+\).*$/\1/p' | sort >"$tmp/exported"
grep -E '^[A-Za-z_][A-Za-z0-9_]*$' "$here/src/exports/exports.list" | sort >"$tmp/listed"
status=0
if ! diff -u "$tmp/listed" "$tmp/exported" >"$tmp/diff"; then
  echo "check-windows-dll: $dll exports differ from exports.list (- missing, + extra):" >&2
  grep -E '^[-+][^-+]' "$tmp/diff" | head -40 >&2
  status=1
fi
# What ships: the DLL and, beside it, the worker program that parses camera raw files.
worker="$(dirname "$dll")/drovane-worker.exe"
if [ ! -f "$worker" ]; then
  echo "check-windows-dll: $worker is missing (it ships beside the DLL)" >&2
  status=1
fi
for shipped in "$dll" "$worker"; do
  [ -f "$shipped" ] || continue
  imports="$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$("$objdump" -p "$shipped")")"
  foreign="$(tr 'A-Z' 'a-z' <<<"$imports" | grep -v -E "$system_dlls" || true)"
  if [ -n "$foreign" ]; then
    echo "check-windows-dll: $shipped imports DLLs that are not part of Windows:" $foreign >&2
    status=1
  fi
done
imports="$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")"
host="$(dirname "$dll")/drovane.exe"
if [ -f "$host" ]; then
  "$objdump" -p "$host" | sed -n '/DLL Name: drovane.dll/,/^$/p' |
    sed -n 's/^[[:space:]]*[0-9a-f]\+[[:space:]]\+[0-9]\+[[:space:]]\+\([^[:space:]]\+\).*$/\1/p' | sort -u >"$tmp/imported"
  unknown="$(comm -23 "$tmp/imported" "$tmp/exported")"
  if [ ! -s "$tmp/imported" ] || [ -n "$unknown" ]; then
    echo "check-windows-dll: $host imports names drovane.dll does not export (import library?):" \
      $(head -5 <<<"$unknown") >&2
    status=1
  fi
fi
[ $status -eq 0 ] && echo "check-windows-dll: $dll: $(wc -l <"$tmp/exported") exports, as listed; imports:" $imports
exit $status
