#!/usr/bin/env bash
# Cross-builds the libraries that the Windows build links, from Debian's own
# source packages (apt-get source), into a prefix that later runs reuse:
#
#   proj.win32/build-deps.sh PREFIX
#
# SDL2, SDL2_image (its own PNG reader and writer), SDL2_ttf (no harfbuzz),
# freetype, libxml2 and GoogleTest are static; libplist is LGPL and is built
# as a DLL that ships beside the executables. zlib comes from
# libz-mingw-w64-dev. A finished prefix holds a stamp with this recipe's
# checksum; a changed recipe builds the prefix again.
set -euo pipefail

prefix="${1:?usage: build-deps.sh PREFIX}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
host=x86_64-w64-mingw32
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs="${PAVLUNE_JOBS:-$(nproc)}"
stamp="$prefix/.recipe"
recipe="$(cat "${BASH_SOURCE[0]}" "$toolchain" | sha256sum | cut -c1-16)"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  exit 0
fi

work="$prefix.work"
rm -rf "$prefix" "$work"
mkdir -p "$prefix" "$work"
cd "$work"

# Debian's source packages, unpacked (and checked against their signatures'
# checksums) by apt-get source.
sources=(libsdl2 libsdl2-image libsdl2-ttf freetype libxml2 libplist)
apt-get source -qq "${sources[@]}" >/dev/null
folder() { find "$work" -maxdepth 1 -mindepth 1 -type d -name "$1-[0-9]*" | head -n1; }
# The licences that travel with the programs.
mkdir -p "$prefix/share/licences"
for source in "${sources[@]}"; do
  cp "$(folder "$source")/debian/copyright" "$prefix/share/licences/$source.txt"
done
cp "$(folder libplist)/COPYING.LESSER" "$prefix/share/licences/libplist-LGPL-2.1.txt"

run() { nice -n 10 "$@"; }
cmake_dep() {
  local src="$1"; shift
  run cmake -S "$src" -B "$src/build-win" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DPAVLUNE_WIN_DEPS="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  run cmake --build "$src/build-win" -j "$jobs" >/dev/null
  run cmake --install "$src/build-win" >/dev/null
}
cross_env=(CC="$host-gcc-posix" CXX="$host-g++-posix" AR="$host-ar" RANLIB="$host-ranlib"
           PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:/usr/$host/lib/pkgconfig" PKG_CONFIG_PATH=)

echo "windows deps: SDL2"
cmake_dep "$(folder libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF

echo "windows deps: freetype"
cmake_dep "$(folder freetype)" -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_BZIP2=ON \
  -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_ZLIB=ON

echo "windows deps: SDL2_image"
cmake_dep "$(folder libsdl2-image)" -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
  -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_BACKEND_WIC=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF \
  -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_JPG=OFF \
  -DSDL2IMAGE_PNG=ON

echo "windows deps: SDL2_ttf"
cmake_dep "$(folder libsdl2-ttf)" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF -DSDL2TTF_SAMPLES=OFF

echo "windows deps: libxml2"
(cd "$(folder libxml2)" && env "${cross_env[@]}" run ./configure -q --host=$host --prefix="$prefix" \
   --disable-shared --enable-static --without-python --without-lzma --without-zlib --without-iconv \
   --without-icu --without-http --without-ftp --without-threads --without-modules \
   --without-debug --without-catalog --without-docbook >/dev/null &&
 run make -s -j "$jobs" libxml2.la >/dev/null && run make -s install-libLTLIBRARIES install-data >/dev/null)

echo "windows deps: libplist"
(cd "$(folder libplist)" && { [ -x configure ] || run autoreconf -fi >/dev/null 2>&1; } &&
 env "${cross_env[@]}" LDFLAGS="-static-libgcc -static-libstdc++" run ./configure -q --host=$host \
   --prefix="$prefix" --enable-shared --disable-static --without-cython >/dev/null &&
 run make -s -j "$jobs" >/dev/null && run make -s install >/dev/null &&
 # The executables link with -static, which takes only lib*.a: the import
 # library under that name still binds to the DLL.
 cp "$prefix/lib/libplist-2.0.dll.a" "$prefix/lib/libplist-2.0.a")

echo "windows deps: GoogleTest"
cp -r /usr/src/googletest "$work/googletest-src"
cmake_dep "$work/googletest-src" -Dgtest_disable_pthreads=OFF -DINSTALL_GTEST=ON

echo "$recipe" > "$stamp"
rm -rf "$work"
