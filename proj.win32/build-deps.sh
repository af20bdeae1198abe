#!/usr/bin/env bash
# Cross-builds the libraries that the Windows build links, from Debian's own
# source packages (apt-get source), into a prefix that later runs reuse:
#
#   proj.win32/build-deps.sh PREFIX
#
# SDL2, SDL2_image (its own PNG reader and writer), SDL2_ttf (no harfbuzz),
# freetype, libxml2 and GoogleTest are static; libplist is LGPL and is built
# as a DLL that ships beside the executables. zlib comes from
# libz-mingw-w64-dev. A finished prefix holds a stamp with the recipe's key
# (this script, the toolchain file and the Debian source versions); a changed
# key builds the prefix again. An interrupted run resumes after the last
# library it finished. Only what the editor uses is built: SDL2 without
# audio, joysticks, haptics, sensors, power or locale.
set -euo pipefail

prefix="${1:?usage: build-deps.sh PREFIX}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
host=x86_64-w64-mingw32
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs="${PAVLUNE_JOBS:-$(nproc)}"
stamp="$prefix/.recipe"
sources=(libsdl2 libsdl2-image libsdl2-ttf freetype libxml2 libplist)
recipe="$( (cat "${BASH_SOURCE[0]}" "$toolchain"
            apt-get source --print-uris -qq "${sources[@]}" | grep -o "[^/' ]*\.dsc") | sha256sum | cut -c1-16)"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  exit 0
fi

work="$prefix.work"
if [ -f "$stamp" ]; then
  rm -rf "$prefix" "$work" # finished, but by another recipe
fi
mkdir -p "$prefix" "$work"
cd "$work"

# Debian's source packages, unpacked (and checked against their signatures'
# checksums) by apt-get source.
if [ ! -f "$work/.sources" ]; then
  apt-get source -qq "${sources[@]}" >/dev/null
  touch "$work/.sources"
fi
# Each library once: a rerun after a failure goes on where it stopped.
step() {
  if [ -f "$work/.done-$1" ]; then
    return 1
  fi
  echo "windows deps: $1"
  step_started=$SECONDS
}
done_step() {
  touch "$work/.done-$1"
  echo "windows deps: $1 built in $((SECONDS - step_started)) s"
}
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
# SDL2_image's and SDL2_ttf's CMake builds install no pkg-config file for
# Windows; the project finds every library through one.
pc_file() {
  local name="$1" version="$2" requires="$3" private="$4"
  cat > "$prefix/lib/pkgconfig/$name.pc" <<PC
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: $name
Description: $name, cross-built from Debian's source package
Version: $version
Requires: $requires
Requires.private: $private
Libs: -L\${libdir} -l$name
Cflags: -I\${includedir}/SDL2
PC
}
cross_env=(CC="$host-gcc-posix" CXX="$host-g++-posix" AR="$host-ar" RANLIB="$host-ranlib"
           PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:/usr/$host/lib/pkgconfig" PKG_CONFIG_PATH=)

if step SDL2; then
  cmake_dep "$(folder libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_AUDIO=OFF \
    -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF
  done_step SDL2
fi

if step freetype; then
  cmake_dep "$(folder freetype)" -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_BZIP2=ON \
    -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_ZLIB=ON
  done_step freetype
fi

if step SDL2_image; then
  cmake_dep "$(folder libsdl2-image)" -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
    -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_BACKEND_WIC=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF \
    -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_JPG=OFF \
    -DSDL2IMAGE_PNG=ON
  pc_file SDL2_image 2.6.3 sdl2 ""
  done_step SDL2_image
fi

if step SDL2_ttf; then
  cmake_dep "$(folder libsdl2-ttf)" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF -DSDL2TTF_SAMPLES=OFF
  pc_file SDL2_ttf 2.20.1 sdl2 freetype2
  done_step SDL2_ttf
fi

if step libxml2; then
  cmake_dep "$(folder libxml2)" -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_LZMA=OFF \
    -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_TESTS=OFF \
    -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_CATALOG=OFF \
    -DLIBXML2_WITH_DOCB=OFF
  done_step libxml2
fi

if step libplist; then
  (cd "$(folder libplist)" && { [ -x configure ] || run autoreconf -fi >/dev/null 2>&1; } &&
   run env "${cross_env[@]}" LDFLAGS="-static-libgcc -static-libstdc++" ./configure -q --host=$host \
     --prefix="$prefix" --enable-shared --disable-static --without-cython >/dev/null &&
   run make -s -j "$jobs" >/dev/null && run make -s install >/dev/null)
  # The executables link with -static, which takes only lib*.a: the import
  # library under that name still binds to the DLL.
  cp "$prefix/lib/libplist-2.0.dll.a" "$prefix/lib/libplist-2.0.a"
  done_step libplist
fi

if step GoogleTest; then
  rm -rf "$work/googletest-src"
  cp -r /usr/src/googletest "$work/googletest-src"
  cmake_dep "$work/googletest-src" -Dgtest_disable_pthreads=OFF -DINSTALL_GTEST=ON
  done_step GoogleTest
fi

echo "$recipe" > "$stamp"
rm -rf "$work"
