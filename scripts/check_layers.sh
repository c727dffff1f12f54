#!/usr/bin/env bash
# Fails when an include in src/ climbs the layers: a file may include its own folder
# and any layer below it, never one above. docs/architecture.md draws the layers.
# Usage: check_layers.sh [source root]   (default: the src/ beside this script)
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)/src}"

# Layers from the bottom up; a path takes the rank of its longest matching prefix.
layers=(
  "platform 0"
  "core 1"
  "imaging/lib 2"      # our imaging library: pure buffer code on core's allocator
  "imaging/color 2"
  "undo 3"
  "brush 4"
  "mask 5"
  "composite 6"
  "imaging 7"
  "script 8"
  "io 9"
  "engine 10"          # the whole-engine life cycle, above every subsystem
  "exports 11"
)

# Climbs allowed, each with its reason; a new one fails the check. None today: where a
# lower layer needs a service from above, the engine life cycle attaches it.
allowed=(
)

# One pass: every quoted include as "file included", ranked by awk.
cd "$root"
grep -rHo --include='*.cpp' --include='*.h' --include='*.inc' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*"' . |
  sed 's|^\./||; s|:[^"]*"\([^"]*\)"$| \1|' |
  awk -v layers="$(printf '%s\n' "${layers[@]}")" -v allowed="$(printf '%s\n' "${allowed[@]}")" '
    function rank(path,   best, len, name) {
      best = -1; len = 0
      for (name in r) if (index(path, name "/") == 1 && length(name) > len) { best = r[name]; len = length(name) }
      return best
    }
    BEGIN {
      n = split(layers, L, "\n"); for (i = 1; i <= n; i++) if (split(L[i], f, " ") == 2) r[f[1]] = f[2]
      n = split(allowed, A, "\n"); for (i = 1; i <= n; i++) ok[A[i]] = 1
    }
    {
      from = rank($1); to = rank($2)
      if (from >= 0 && to > from && !(($1 " " $2) in ok)) { print "layer climb: src/" $1 " includes " $2; bad = 1 }
    }
    END {
      if (bad) exit 1
      print "layers: every include points down"
    }'
