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

# Seeds, made fresh for each run and kept out of the repository: a picture in every
# format the engine writes, and the test fixtures, each for the target that reads it.
seeds=build/fuzz/seeds
rm -rf "$seeds"
cmake --build build/fuzz --target seed_writer
build/fuzz/fuzz/seed_writer "$seeds"
seed_target() {
  case "${1,,}" in
    *.bmp) echo bmp_fuzz ;; *.png) echo png_fuzz ;; *.jpg|*.jpeg) echo jpeg_fuzz ;;
    *.gif) echo gif_fuzz ;; *.pcx) echo pcx_fuzz ;; *.psd) echo psd_fuzz ;;
    *.tga) echo tga_fuzz ;; *.tif|*.tiff) echo tiff_fuzz ;; *.webp) echo webp_fuzz ;;
    *.emf|*.wmf) echo metafile_fuzz ;; *.dng) echo raw_fuzz ;;
  esac
}
for fixture in tests/data/*; do
  target=$(seed_target "$fixture")
  [ -n "$target" ] && mkdir -p "$seeds/$target" && cp "$fixture" "$seeds/$target/"
done
# The example procedural scripts seed the script parser.
mkdir -p "$seeds/procedural_script_fuzz" && cp examples/scripts/*.dps "$seeds/procedural_script_fuzz/"

# One target per core at a time; any crash, leak or sanitizer report fails the run.
run_target() {
  target="$1"; seconds="$2"
  name=$(basename "$target")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  # Runs grow a working corpus from the committed seeds.
  mkdir -p "build/fuzz/seeds/$name"
  # Absolute folders: a target may change its working folder (the Lua target runs its
  # scripts in a scratch folder), and libFuzzer opens them again as it goes.
  committed=()
  [ -d "fuzz/corpus/$name" ] && committed=("$PWD/fuzz/corpus/$name")
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 "$PWD/$corpus" "${committed[@]}" \
       "$PWD/build/fuzz/seeds/$name" >"build/fuzz/$name.log" 2>&1; then
    echo "fuzz: $name FAILED (build/fuzz/$name.log):" >&2
    tail -n 40 "build/fuzz/$name.log" >&2
    return 1
  fi
  # Edge coverage when the seeds were loaded and at the end, so growth shows.
  cov_start=$(grep -m1 -o 'INITED cov: [0-9]*' "build/fuzz/$name.log" | grep -o '[0-9]*$' || true)
  cov_end=$(grep -o 'cov: [0-9]*' "build/fuzz/$name.log" | tail -n1 | grep -o '[0-9]*$' || true)
  echo "fuzz: $name clean for ${seconds}s ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "build/fuzz/$name.log" | grep -o '[0-9]*$') runs, cov ${cov_start:-?} -> ${cov_end:-?} edges)" >&2
}
export -f run_target
ls build/fuzz/fuzz/*_fuzz | xargs -P "$(nproc)" -I{} bash -c 'run_target "$@"' _ {} "$seconds"
