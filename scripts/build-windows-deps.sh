#!/usr/bin/env bash
# Builds the third-party libraries the engine links as static MinGW-w64 libraries, for
# 32-bit and 64-bit Windows, from Debian's own source packages at the versions the Linux
# build uses. Nothing is downloaded from anywhere but Debian's archive.
#
#   scripts/build-windows-deps.sh [i686|x64]...    (default: both)
#
# Results go to $DROVANE_WINDOWS_DEPS_CACHE (default ~/.cache/drovane-windows-deps), one
# folder per set of package versions; <cache>/<arch> points at the current one, and is
# what the windows-* presets read. A set that is already built is not built again.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
cache="${DROVANE_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/drovane-windows-deps}"
jobs="${JOBS:-2}"
arches=("$@")
[ ${#arches[@]} -eq 0 ] && arches=(i686 x64)

# The Linux build's packages: the source package of each is what we build.
linux_packages=(
  zlib1g-dev libpng-dev libjpeg62-turbo-dev libtiff-dev libgif-dev libwebp-dev libraw-dev
  libimagequant-dev libluajit2-5.1-dev libfreetype-dev libhpdf-dev
)
# Tools of the build: the cross compilers, and a 32-bit host compiler, which LuaJIT's
# code generator (buildvm) must match the target's pointer width with; qemu-user runs
# those 32-bit helpers where the kernel refuses 32-bit programs.
tool_packages=(
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools gcc-multilib qemu-user
  dpkg-dev cmake ninja-build pkg-config make
)

log() { echo "build-windows-deps: $*" >&2; }

install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  local sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
install_missing "${tool_packages[@]}" "${linux_packages[@]}"

# ---- Debian sources, through a private apt configuration --------------------------------
aptdir="$cache/apt"
mkdir -p "$aptdir/lists/partial" "$aptdir/cache/archives/partial" "$aptdir/parts"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$aptdir/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
apt_opts=(-o "Dir::Etc::SourceList=$aptdir/sources.list" -o "Dir::Etc::SourceParts=$aptdir/parts"
          -o "Dir::State::Lists=$aptdir/lists" -o "Dir::Cache=$aptdir/cache"
          -o "APT::Sandbox::User=root")

declare -A source_of version_of
for p in "${linux_packages[@]}"; do
  read -r src ver < <(dpkg-query -W -f='${source:Package} ${source:Version}\n' "$p")
  source_of[$p]=$src
  version_of[$src]=$ver
done

# Raise when a library's build changes in a way that changes its output.
recipe=1
# The key names every version, the recipe and the toolchain files, so a change to any
# builds afresh. Within a key each library is built once, so a run that stopped resumes.
key="$( { for s in $(printf '%s\n' "${!version_of[@]}" | sort); do echo "$s=${version_of[$s]}"; done
          echo "recipe=$recipe"; cat "$here"/cmake/toolchain-*.cmake; } | sha256sum | cut -c1-16)"
store="$cache/$key"

all_built=1
for arch in "${arches[@]}"; do [ -f "$store/$arch/.complete" ] || all_built=0; done
if [ $all_built -eq 1 ]; then
  for arch in "${arches[@]}"; do ln -sfn "$key/$arch" "$cache/$arch"; done
  log "up to date: $store"
  exit 0
fi

# Sources depend on the versions alone.
versions_key="$(for s in $(printf '%s\n' "${!version_of[@]}" | sort); do echo "$s=${version_of[$s]}"; done |
                sha256sum | cut -c1-16)"
srcdir="$cache/sources/$versions_key"
mkdir -p "$srcdir"
# One folder per source package; a run that stopped fetches only what is missing.
fetched_any=0
for src in "${!version_of[@]}"; do
  [ -d "$srcdir/$src" ] && continue
  [ $fetched_any -eq 1 ] || apt-get "${apt_opts[@]}" update -qq
  fetched_any=1
  ver="${version_of[$src]}"
  upstream="${ver#*:}"; upstream="${upstream%-*}"
  # The installed version first; where the archive has moved on, the newest revision
  # of the same upstream release (Debian's later security fixes on the same code).
  candidates=("$ver")
  while read -r v; do
    [ "$v" = "$ver" ] && continue
    u="${v#*:}"; u="${u%-*}"
    [ "$u" = "$upstream" ] && candidates+=("$v")
  done < <(apt-cache "${apt_opts[@]}" showsrc "$src" | sed -n 's/^Version: //p' | sort -rV)
  fetched=""
  for v in "${candidates[@]}"; do
    if (cd "$srcdir" && apt-get "${apt_opts[@]}" source -qq --download-only "$src=$v" >/dev/null 2>&1); then
      fetched="$v"; break
    fi
  done
  if [ -n "$fetched" ]; then
    [ "$fetched" = "$ver" ] || log "$src: $ver is no longer in the archive; using $fetched"
    dpkg-source --no-check -x "$srcdir/${src}_${fetched#*:}.dsc" "$srcdir/$src" >/dev/null
  else
    # Some mirrors lose a package's Debian tarball but keep its upstream one: build the
    # upstream release as it stands, without Debian's patches, and say so.
    orig="$(ls "$srcdir/${src}_${upstream}".orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -1 || true)"
    [ -n "$orig" ] || { log "cannot fetch the source of $src $ver"; exit 1; }
    log "warning: $src: only the upstream tarball is in the archive; building it without Debian's patches"
    mkdir -p "$srcdir/$src"
    tar -xf "$orig" -C "$srcdir/$src" --strip-components=1
    fetched="$ver (upstream tarball only)"
  fi
  echo "$src $fetched" >>"$srcdir/versions"
done

# ---- Building ----------------------------------------------------------------------------
build_arch() {
  local arch="$1" triple toolchain prefix work
  case "$arch" in
    i686) triple=i686-w64-mingw32 ;;
    x64) triple=x86_64-w64-mingw32 ;;
    *) log "unknown target $arch (i686 or x64)"; exit 2 ;;
  esac
  toolchain="$here/cmake/toolchain-windows-$arch.cmake"
  prefix="$store/$arch"
  work="$cache/work/$key/$arch"
  mkdir -p "$prefix/include" "$prefix/lib/pkgconfig" "$work"
  local cc="$triple-gcc-posix" cxx="$triple-g++-posix" ar="$triple-ar"
  # As the toolchain files: SSE2 arithmetic on i686, unaligned vector moves.
  local cflags="-O2 -DNDEBUG -Wa,-muse-unaligned-vector-move"
  [ "$arch" = i686 ] && cflags+=" -msse2 -mfpmath=sse"

  built() { [ -f "$prefix/.built-$1" ]; }

  cmake_lib() {  # name source-dir cmake-options...
    local name="$1" dir="$2"; shift 2
    built "$name" && return 0
    log "$arch: $name"
    rm -rf "$work/$name"
    cmake -S "$dir" -B "$work/$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DDROVANE_WINDOWS_DEPS="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
      -DBUILD_SHARED_LIBS=OFF -DCMAKE_POLICY_DEFAULT_CMP0074=NEW "$@" >"$work/$name.log" 2>&1 ||
      { tail -30 "$work/$name.log"; exit 1; }
    cmake --build "$work/$name" -j "$jobs" >>"$work/$name.log" 2>&1 &&
      cmake --install "$work/$name" >>"$work/$name.log" 2>&1 || { tail -30 "$work/$name.log"; exit 1; }
    touch "$prefix/.built-$name"
  }

  # Compiles every listed file of a source tree into one static library.
  plain_lib() {  # name source-dir library compiler flags -- files...
    local name="$1" dir="$2" lib="$3" compiler="$4" flags="$5"; shift 6
    built "$name" && return 0
    log "$arch: $name"
    local out="$work/$name" objs=() f
    mkdir -p "$out"
    for f in "$@"; do objs+=("$out/$(echo "$f" | tr '/' '_').o"); done
    for f in "$@"; do echo "$compiler $flags -c $dir/$f -o $out/$(echo "$f" | tr '/' '_').o"; done |
      xargs -P "$jobs" -I{} sh -c '{}' >"$out.log" 2>&1 || { tail -30 "$out.log"; exit 1; }
    rm -f "$prefix/lib/$lib"
    "$ar" rcs "$prefix/lib/$lib" "${objs[@]}"
    touch "$prefix/.built-$name"
  }

  local s="$srcdir"
  # zlib: Debian's source carries no Windows makefile; the library is these files.
  plain_lib zlib "$s/zlib" libz.a "$cc" "$cflags" -- adler32.c compress.c crc32.c deflate.c gzclose.c \
    gzlib.c gzread.c gzwrite.c infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c
  cp "$s/zlib/zlib.h" "$s/zlib/zconf.h" "$prefix/include/"
  # FreeType's pkg-config file requires zlib's.
  cat >"$prefix/lib/pkgconfig/zlib.pc" <<EOF
prefix=$prefix
Name: zlib
Description: zlib compression library
Version: $(v="${version_of[zlib]#*:}"; echo "${v%%.dfsg*}")
Libs: -L\${prefix}/lib -lz
Cflags: -I\${prefix}/include
EOF

  cmake_lib libpng "$s/libpng1.6" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
  cmake_lib libjpeg-turbo "$s/libjpeg-turbo" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD=OFF -DWITH_JPEG8=OFF
  cmake_lib libtiff "$s/tiff" -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF \
    -Djbig=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dlerc=OFF -Dlibdeflate=OFF -Dcxx=OFF -Dzlib=ON -Djpeg=ON
  cmake_lib libwebp "$s/libwebp" -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF \
    -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF
  cmake_lib freetype "$s/freetype" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
    -DFT_DISABLE_BROTLI=ON -DFT_REQUIRE_ZLIB=ON
  cmake_lib libharu "$s/libharu" -DLIBHPDF_SHARED=OFF -DLIBHPDF_STATIC=ON -DLIBHPDF_EXAMPLES=OFF
  # libharu carries its own copy of libtiff's fax code tables under libtiff's names,
  # which a static link of both refuses: give libharu's copy names of its own.
  local sym renames=()
  for sym in TIFFFaxWhiteCodes TIFFFaxBlackCodes; do
    renames+=(--redefine-sym "$sym=hpdf_$sym" --redefine-sym "_$sym=_hpdf_$sym")
  done
  "$triple-objcopy" "${renames[@]}" "$prefix/lib/libhpdfs.a"

  # giflib: its makefile builds shared objects only; the library is these files.
  (cd "$s/giflib" && plain_lib giflib . libgif.a "$cc" "$cflags" -- \
     dgif_lib.c egif_lib.c gifalloc.c gif_err.c gif_font.c gif_hash.c openbsd-reallocarray.c quantize.c)
  cp "$s/giflib/gif_lib.h" "$prefix/include/"

  # libimagequant 2.x: plain C99 files, with OpenMP as Debian builds them (debian/rules),
  # since the threads' partial sums decide its palettes.
  local iq="$s/libimagequant"
  [ -f "$iq/libimagequant.c" ] || iq="$s/libimagequant/lib"
  plain_lib libimagequant "$iq" libimagequant.a "$cc" "$cflags -std=c99 -fopenmp" -- \
    libimagequant.c blur.c mediancut.c mempool.c nearest.c pam.c kmeans.c
  cp "$iq/libimagequant.h" "$prefix/include/"
  cat >"$prefix/lib/pkgconfig/imagequant.pc" <<EOF
prefix=$prefix
Name: imagequant
Description: Small, portable C library for high-quality conversion of RGBA images to 8-bit indexed-color
Version: ${version_of[libimagequant]%%-*}
Libs: -L\${prefix}/lib -limagequant -fopenmp
Cflags: -I\${prefix}/include
EOF

  # LibRaw, the reentrant library (no LIBRAW_NOTHREADS), as Debian's libraw_r.
  local raw="$s/libraw"
  mapfile -t raw_files < <(cd "$raw" && sed -n '/^lib_libraw_a_SOURCES/,/^$/p' Makefile.am |
                           grep -o 'src/[A-Za-z0-9_/]*\.cpp')
  plain_lib libraw "$raw" libraw_r.a "$cxx" "$cflags -I$raw -DLIBRAW_NODLL -w" -- "${raw_files[@]}"
  mkdir -p "$prefix/include/libraw"
  cp "$raw"/libraw/*.h "$prefix/include/libraw/"
  cat >"$prefix/lib/pkgconfig/libraw_r.pc" <<EOF
prefix=$prefix
Name: libraw
Description: Raw image decoder library (thread-safe)
Version: ${version_of[libraw]%%-*}
Libs: -L\${prefix}/lib -lraw_r -lws2_32
Cflags: -I\${prefix}/include/libraw -I\${prefix}/include -DLIBRAW_NODLL
EOF

  # LuaJIT: its code generator runs on the build machine at the target's pointer width.
  local lj="$work/luajit" host_cc=gcc host_run=()
  if ! built luajit; then
    log "$arch: luajit"
    if [ "$arch" = i686 ]; then
      host_cc="gcc -m32"
      echo 'int main(void) { return 0; }' | gcc -m32 -x c - -o "$work/m32-probe"
      "$work/m32-probe" 2>/dev/null || host_run=(MINILUA_X="qemu-i386 host/minilua" BUILDVM_X="qemu-i386 host/buildvm")
    fi
    rm -rf "$lj"; cp -r "$s/luajit2" "$lj"
    make -C "$lj/src" -j "$jobs" "${host_run[@]}" HOST_CC="$host_cc" TARGET_CFLAGS="${cflags#-O2 }" CROSS="$triple-" STATIC_CC="$cc" DYNAMIC_CC="$cc" \
      TARGET_LD="$cc" TARGET_AR="$ar rcus" TARGET_STRIP="$triple-strip" TARGET_SYS=Windows BUILDMODE=static \
      libluajit.a >"$work/luajit.log" 2>&1 || { tail -30 "$work/luajit.log"; exit 1; }
    touch "$prefix/.built-luajit"
  fi
  mkdir -p "$prefix/include/luajit-2.1"
  cp "$lj/src/libluajit.a" "$prefix/lib/libluajit-5.1.a"
  (cd "$lj/src" && cp lua.h lualib.h lauxlib.h luaconf.h lua.hpp luajit.h "$prefix/include/luajit-2.1/")
  cat >"$prefix/lib/pkgconfig/luajit.pc" <<EOF
prefix=$prefix
Name: LuaJIT
Description: Just-in-time compiler for Lua
Version: 2.1.0-beta3
Libs: -L\${prefix}/lib -lluajit-5.1
Cflags: -I\${prefix}/include/luajit-2.1
EOF

  cp "$srcdir/versions" "$prefix/VERSIONS"
  touch "$prefix/.complete"
  ln -sfn "$key/$arch" "$cache/$arch"
  log "$arch: done in $prefix"
}

for arch in "${arches[@]}"; do
  [ -f "$store/$arch/.complete" ] && { ln -sfn "$key/$arch" "$cache/$arch"; continue; }
  start=$SECONDS
  build_arch "$arch"
  log "$arch: built in $((SECONDS - start)) s"
done
