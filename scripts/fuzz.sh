#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (default 60 s).
#   scripts/fuzz.sh [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

need=()
for p in clang libclang-rt-14-dev libomp-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DDROVANE_BUILD_FUZZ=ON -DDROVANE_BUILD_TESTS=OFF >/dev/null
# Only the fuzz targets: the library and tools are built and tested elsewhere.
targets=(); for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build build/fuzz --target "${targets[@]}"

# One target per core at a time; any crash, leak or sanitizer report fails the run.
run_target() {
  target="$1"; seconds="$2"
  name=$(basename "$target")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  # Runs grow a working corpus from the committed seeds.
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" "fuzz/corpus/$name" \
       >"build/fuzz/$name.log" 2>&1; then
    echo "fuzz: $name FAILED (build/fuzz/$name.log):" >&2
    tail -n 40 "build/fuzz/$name.log" >&2
    return 1
  fi
  echo "fuzz: $name clean for ${seconds}s ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "build/fuzz/$name.log" | grep -o '[0-9]*$') runs)" >&2
}
export -f run_target
ls build/fuzz/fuzz/*_fuzz | xargs -P "$(nproc)" -I{} bash -c 'run_target "$@"' _ {} "$seconds"
