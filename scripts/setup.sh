#!/usr/bin/env bash
# Installs everything the build and the tests need, from Debian's packages, and builds the two
# third-party libraries for the 32-bit Windows tree once. Safe to run again: every step checks
# first and skips what is already there. Needs root (or sudo) only while something is missing.
# The one script that changes the machine: where this machine's kernel runs 32-bit programs, Wine
# is installed here; everywhere, the test VM's tools are, and the VM's guest is built (once for
# the whole machine: scripts/vm/build-guest.sh), for every Windows program where Wine cannot
# run here (or with WINE_IN_VM=1) and for the CPU matrix's older processors.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cache=$deps_cache
mkdir -p "$cache"
wine_route

say() { printf 'setup: %s\n' "$*"; }
die() { printf 'setup: error: %s\n' "$*" >&2; exit 1; }
record() { printf '%s %s\n' "$(date -u +%Y-%m-%dT%H:%M:%SZ)" "$*" >> "$cache/setup-changes.txt"; }

# --- Debian packages -------------------------------------------------------------------------
# The test VM on every machine: where Wine runs here too, the CPU matrix runs the DLLs on older
# processors in it.
if [ "$WINE_ROUTE" = here ]; then sections=(build wine vm); else sections=(build vm); fi
mapfile -t native_pkgs < <(packages "${sections[@]}")
missing=()
for p in "${native_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

have_deb_src() {
  grep -hsqE '^(deb-src |Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources
}

# A deb-src entry mirroring the machine's own Debian entries, so that 'apt-get source' works.
add_deb_src() {
  local out=/etc/apt/sources.list.d/project-deb-src.sources
  local tmp; tmp=$(mktemp)
  debian_deb_stanzas | sed 's/^Types: deb$/Types: deb-src/' >"$tmp"
  [ -s "$tmp" ] || die "found no Debian entry in the apt sources to derive a deb-src entry from"
  echo >>"$tmp"
  as_root install -m 644 "$tmp" "$out"
  rm -f "$tmp"
  say "added $out"
  record "added $out"
}

need_i386=0; need_src=0; need_locale=0
[ "$WINE_ROUTE" = vm ] || dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1
have_deb_src || need_src=1
have_ja_locale || need_locale=1

# Say exactly what will change on this machine before touching anything; the README says how
# to undo each step. Every change is also appended to $cache/setup-changes.txt.
changes=()
[ $need_i386 -eq 1 ] && changes+=("dpkg --add-architecture i386 (wine32 is a 32-bit package)")
[ $need_src -eq 1 ] && changes+=("a deb-src apt source derived from this machine's Debian sources, in /etc/apt/sources.list.d/project-deb-src.sources")
[ ${#missing[@]} -gt 0 ] && changes+=("apt-get update, then install these Debian packages: ${missing[*]}")
[ $need_locale -eq 1 ] && changes+=("the ja_JP.UTF-8 locale, with localedef (into /usr/lib/locale/locale-archive)")
if [ ${#changes[@]} -gt 0 ]; then
  say "this will change the machine:"
  for c in "${changes[@]}"; do printf 'setup:   - %s\n' "$c"; done
else
  say "the machine already has everything; nothing to change outside $cache"
fi

if [ $need_i386 -eq 1 ]; then
  say "enabling the i386 architecture (for wine32)"
  as_root dpkg --add-architecture i386
  record "dpkg --add-architecture i386"
fi
if [ $need_src -eq 1 ]; then add_deb_src; fi
if [ $need_i386 -eq 1 ] || [ $need_src -eq 1 ] || [ ${#missing[@]} -gt 0 ]; then
  say "apt-get update"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  say "installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
  record "apt-get install ${missing[*]}"
fi

# --- The Japanese locale (Wine takes its ANSI code page, 932, from it) -------------------------
if [ $need_locale -eq 1 ]; then
  say "generating the ja_JP.UTF-8 locale"
  make_ja_locale as_root
  record "localedef ja_JP.UTF-8"
fi

# --- libjpeg-turbo from Debian's source package, static for i686 Windows with SIMD ------------
toolchain=$top/cmake/mingw-i686.cmake
jpeg_prefix=$cache/libjpeg-i686
# the version the project is built against, named once in cmake/deps.cmake
want=$(libjpeg_turbo_version)
if [ ! -f "$jpeg_prefix/.done" ]; then
  src_root=$cache/src
  mkdir -p "$src_root"
  jsrc=$src_root/libjpeg-turbo-$want
  if [ ! -d "$jsrc" ]; then
    say "fetching Debian's libjpeg-turbo source package"
    (cd "$src_root" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1) \
      || (cd "$src_root" && apt-get source libjpeg-turbo) \
      || die "apt-get source libjpeg-turbo failed"
  fi
  [ -d "$jsrc" ] || die "Debian's libjpeg-turbo source package is not version $want: $(ls "$src_root")"
  ver=$(sed -nE 's/^set\(VERSION ([0-9.]+)\)/\1/p' "$jsrc/CMakeLists.txt")
  [ "$ver" = "$want" ] || die "libjpeg-turbo source is version '$ver', the project needs $want"
  say "building libjpeg-turbo $ver for i686-w64-mingw32 (static, SIMD)"
  rm -rf "$cache/build-libjpeg-i686"
  cmake -S "$jsrc" -B "$cache/build-libjpeg-i686" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF \
    -DCMAKE_ASM_NASM_COMPILER=nasm >"$cache/libjpeg-configure.log" 2>&1 \
    || die "configuring libjpeg-turbo failed, see $cache/libjpeg-configure.log"
  cmake --build "$cache/build-libjpeg-i686" -j"$jobs" --target install >"$cache/libjpeg-build.log" 2>&1 \
    || die "building libjpeg-turbo failed, see $cache/libjpeg-build.log"
  api=$(sed -nE 's/^#define JPEG_LIB_VERSION +([0-9]+).*/\1/p' "$jpeg_prefix/include/jconfig.h")
  [ "$api" = "62" ] || die "the i686 libjpeg has JPEG_LIB_VERSION '$api', the project needs 62"
  touch "$jpeg_prefix/.done"
fi

# The native build uses the system's libjpeg: it must be the same version and API.
native_api=$(cat /usr/include/*/jconfig.h /usr/include/jconfig.h 2>/dev/null \
  | sed -nE 's/^#define JPEG_LIB_VERSION +([0-9]+).*/\1/p' | head -n1 || true)
native_ver=$(dpkg-query -W -f='${Version}' libjpeg62-turbo-dev)
[ "$native_api" = "62" ] || die "native libjpeg has JPEG_LIB_VERSION '$native_api', the project needs 62"
case "$native_ver" in *:"$want"-*|"$want"-*) ;; *) die "libjpeg62-turbo-dev is '$native_ver', the project needs $want";; esac

# --- GoogleTest for the Windows tree, from Debian's googletest sources -------------------------
# The win32 thread model has no std::mutex; GoogleTest's threading otherwise uses Win32
# primitives, and its one class written with std::mutex is replaced (cmake/ has the header that
# the Windows tests include the same way).
gtest_prefix=$cache/gtest-i686
if [ ! -f "$gtest_prefix/.done" ]; then
  say "building GoogleTest for i686-w64-mingw32"
  rm -rf "$cache/build-gtest-i686"
  cmake -S /usr/src/googletest -B "$cache/build-gtest-i686" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$gtest_prefix" -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON \
    -Dgtest_disable_pthreads=ON \
    "-DCMAKE_CXX_FLAGS=-DGTEST_HAS_NOTIFICATION_=1 -include $top/cmake/gtest_win32_notification.h" >"$cache/gtest-configure.log" 2>&1 \
    || die "configuring GoogleTest failed, see $cache/gtest-configure.log"
  cmake --build "$cache/build-gtest-i686" -j"$jobs" --target install >"$cache/gtest-build.log" 2>&1 \
    || die "building GoogleTest failed, see $cache/gtest-build.log"
  touch "$gtest_prefix/.done"
fi

# --- The test VM: for every Windows program where Wine cannot run here, for the CPU matrix ---
if [ "$WINE_ROUTE" = vm ]; then
  say "the Windows programs run in the test VM: $WINE_ROUTE_WHY"
else
  say "Wine runs here; the test VM is for the CPU matrix's older processors"
fi
guest_started=$(now)
bash "$top/scripts/vm/build-guest.sh" || die "the test VM's guest could not be built"
say "test VM guest: $(guest_dir) (checked or built in $(seconds_since "$guest_started") s)"
say "ready"
