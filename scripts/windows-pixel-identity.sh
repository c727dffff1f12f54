#!/usr/bin/env bash
# The Windows build paints the same pixels as the Linux build: the demo picture, a
# stroke file (dabs, blend modes, grain, smudge), the display render, Lua, and a set of
# effects, each run by both command-line hosts on the same input and compared by the
# hash of their decoded pixels (ImageMagick's signature), so file encoding cannot hide
# or fake a difference.
#
#   scripts/windows-pixel-identity.sh [LINUX_BUILD_DIR] [WINDOWS_X64_BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
linux_cli="${1:-$here/build/default}/tools/drovane/drovane"
windows_cli="${2:-$here/build/windows-x64}/drovane.exe"
for tool in "$linux_cli" "$windows_cli"; do
  [ -x "$tool" ] || [ -f "$tool" ] || { echo "windows-pixel-identity: $tool is not built" >&2; exit 2; }
done

tmp="$(mktemp -d)"; trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/linux" "$tmp/windows"
"$linux_cli" demo "$tmp/input.png" 2>/dev/null

# Each case: a name, then the host's arguments with @IN for the input picture and @OUT
# for the output; paths reach the Windows host through wine's drive Z:.
cases=(
  "demo|demo @OUT"
  "strokes|paint $here/examples/strokes/garden.strokes -o @OUT"
  "render-zoom|render @IN -o @OUT --zoom 2 --offset 40,30 --view 320x200 --checkerboard"
  "render-half|render $here/examples/strokes/garden.strokes -o @OUT --zoom 0.5"
  "lua-vignette|lua $here/examples/lua/vignette.lua --slider1 700 --slider2 300 @IN @OUT"
  "gaussian|filter Gaussian Blur --slider1 600 @IN @OUT"
  "motion|filter Motion Blur --slider1 700 --slider2 250 @IN @OUT"
  "oil|filter Oil Paint @IN @OUT"
  "charcoal|filter Charcoal @IN @OUT"
  "levels|filter Levels --slider1 300 --slider2 800 --slider3 50 --slider4 950 --flag1 --flag2 --flag3 @IN @OUT"
  "watercolor|filter Watercolor and Ink @IN @OUT"
  "jpeg|convert @IN -o @OUT.jpg"
)

# Splits a case's arguments at spaces, keeping an effect name after "filter" whole (it
# runs to the first option or path).
split_args() {
  local text="$1"
  local -n out="$2"
  out=()
  if [[ "$text" == filter\ * ]]; then
    local rest="${text#filter }" effect=""
    while [ -n "$rest" ] && [[ "$rest" != --* ]] && [[ "$rest" != /* ]] && [[ "$rest" != Z:* ]]; do
      effect+="${effect:+ }${rest%% *}"; rest="${rest#* }"
    done
    local more=()
    read -r -a more <<<"$rest"
    out=(filter "$effect" "${more[@]}")
  else
    read -r -a out <<<"$text"
  fi
}

compared=0 differ=0
for entry in "${cases[@]}"; do
  name="${entry%%|*}" args="${entry#*|}"
  out_ext=png
  case "$args" in *"@OUT.jpg"*) out_ext=jpg ;; esac
  linux_out="$tmp/linux/$name.$out_ext" windows_out="$tmp/windows/$name.$out_ext"
  linux_args="${args//@IN/$tmp/input.png}"; linux_args="${linux_args//@OUT.jpg/$linux_out}"
  linux_args="${linux_args//@OUT/$linux_out}"
  windows_args="${args//@IN/Z:$tmp/input.png}"; windows_args="${windows_args//@OUT.jpg/Z:$windows_out}"
  windows_args="${windows_args//@OUT/Z:$windows_out}"
  windows_args="${windows_args// $here/ Z:$here}"
  linux_argv=(); windows_argv=()
  split_args "$linux_args" linux_argv
  split_args "$windows_args" windows_argv
  linux_status=0 windows_status=0
  "$linux_cli" "${linux_argv[@]}" >"$tmp/linux/$name.log" 2>&1 || linux_status=$?
  "$here/scripts/windows-wine.sh" "$windows_cli" "${windows_argv[@]}" >"$tmp/windows/$name.log" 2>&1 || windows_status=$?
  if [ $linux_status -ne 0 ] || [ $windows_status -ne 0 ]; then
    if [ $linux_status -ne 0 ] && [ $windows_status -ne 0 ]; then
      echo "windows-pixel-identity: $name: both hosts refuse it (skipped): $(tail -1 "$tmp/linux/$name.log")"
      continue
    fi
    echo "windows-pixel-identity: $name: Linux exit $linux_status, Windows exit $windows_status" >&2
    tail -3 "$tmp/linux/$name.log" "$tmp/windows/$name.log" >&2
    differ=$((differ + 1)); continue
  fi
  a="$(identify -format '%#' "$linux_out")" b="$(identify -format '%#' "$windows_out")"
  compared=$((compared + 1))
  if [ "$a" = "$b" ]; then
    echo "windows-pixel-identity: $name: identical ($a)"
  else
    echo "windows-pixel-identity: $name: pixels differ ($(compare -metric AE "$linux_out" "$windows_out" null: 2>&1) pixels)" >&2
    differ=$((differ + 1))
  fi
done
echo "windows-pixel-identity: $compared compared, $differ differ"
[ $differ -eq 0 ] && [ $compared -gt 0 ]
