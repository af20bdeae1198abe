#!/usr/bin/env bash
# Builds the libraries that the browser build links, with Emscripten, from
# Debian's own source packages (apt-get source), into a prefix that later
# runs reuse:
#
#   proj.web/build-deps.sh PREFIX
#   proj.web/build-deps.sh --key    prints the recipe's key (see below)
#
# All static: SDL2 (no threads), freetype, SDL2_image (its own stb PNG
# reader), SDL2_ttf (no harfbuzz), libxml2, libplist and GoogleTest. A
# finished prefix holds a stamp with the recipe's key: this script, the
# SDL2 configure answers, the compiler's version and the Debian source
# versions; a changed key builds the prefix again. An interrupted run resumes
# after the last library it finished. Only what the editor uses is built:
# SDL2 without audio, joysticks, haptics, sensors, power or locale.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
sources=(libsdl2 libsdl2-image libsdl2-ttf freetype libxml2 libplist)
sdl_checks="$here/sdl2-emscripten-checks.cmake"
recipe_key() {
  (cat "${BASH_SOURCE[0]}" "$sdl_checks"; emcc --version | sed -n 1p
   apt-get source --print-uris -qq "${sources[@]}" | grep -o "[^/' ]*\.dsc") | sha256sum | cut -c1-16
}
if [ "${1:-}" = "--key" ]; then
  recipe_key
  exit 0
fi
prefix="${1:?usage: build-deps.sh PREFIX | --key}"
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
jobs="${PAVLUNE_JOBS:-$(nproc)}"
toolchain=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
stamp="$prefix/.recipe"
recipe="$(recipe_key)"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  exit 0
fi

work="$prefix.work"
if [ -f "$stamp" ]; then
  rm -rf "$prefix" "$work" # finished, but by another recipe
fi
mkdir -p "$prefix/lib/pkgconfig" "$work"
cd "$work"

if [ ! -f "$work/.sources" ]; then
  apt-get source -qq "${sources[@]}" >/dev/null
  touch "$work/.sources"
fi
step() {
  if [ -f "$work/.done-$1" ]; then
    return 1
  fi
  echo "web deps: $1"
  step_started=$SECONDS
}
done_step() {
  touch "$work/.done-$1"
  echo "web deps: $1 built in $((SECONDS - step_started)) s"
}
folder() { find "$work" -maxdepth 1 -mindepth 1 -type d -name "$1-[0-9]*" | head -n1; }
mkdir -p "$prefix/share/licences"
for source in "${sources[@]}"; do
  cp "$(folder "$source")/debian/copyright" "$prefix/share/licences/$source.txt"
done

run() { nice -n 10 "$@"; }
# The optimisation goes only into the libraries' own objects: a configure
# check that links with -O2 runs Emscripten's whole optimiser (wasm-opt and
# the JavaScript passes), ten seconds or more a check on a busy machine.
flags="-fexceptions"
optimise="-O2 -DNDEBUG"
cmake_dep() {
  local src="$1"; shift
  run cmake -S "$src" -B "$src/build-web" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_C_FLAGS_RELEASE="$optimise" -DCMAKE_CXX_FLAGS_RELEASE="$optimise" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  run cmake --build "$src/build-web" -j "$jobs" >/dev/null
  run cmake --install "$src/build-web" >/dev/null
}
# The project finds every library through pkg-config; not every build here
# installs a file for it.
pc_file() {
  local name="$1" version="$2" requires="$3" private="$4" cflags="$5"
  cat > "$prefix/lib/pkgconfig/$name.pc" <<PC
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: $name
Description: $name, built with Emscripten from Debian's source package
Version: $version
Requires: $requires
Requires.private: $private
Libs: -L\${libdir} -l$name
Cflags: $cflags
PC
}

if step SDL2; then
  # The configure checks' answers up front: each one would run emcc.
  cmake_dep "$(folder libsdl2)" -C "$sdl_checks" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
    -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF \
    -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF
  done_step SDL2
fi

if step freetype; then
  cmake_dep "$(folder freetype)" -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_BZIP2=ON \
    -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_ZLIB=ON
  done_step freetype
fi

if step SDL2_image; then
  cmake_dep "$(folder libsdl2-image)" -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
    -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF \
    -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_JPG=OFF \
    -DSDL2IMAGE_PNG=ON
  pc_file SDL2_image 2.6.3 sdl2 "" "-I\${includedir}/SDL2"
  done_step SDL2_image
fi

if step SDL2_ttf; then
  cmake_dep "$(folder libsdl2-ttf)" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF -DSDL2TTF_SAMPLES=OFF
  pc_file SDL2_ttf 2.20.1 sdl2 freetype2 "-I\${includedir}/SDL2"
  done_step SDL2_ttf
fi

if step libxml2; then
  # Without threads, and told so: its configure check finds Emscripten's
  # pthread.h, and the thread code then does not compile.
  rm -rf "$(folder libxml2)/build-web"
  cmake_dep "$(folder libxml2)" -DHAVE_PTHREAD_H=OFF -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_LZMA=OFF \
    -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_TESTS=OFF \
    -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_CATALOG=OFF \
    -DLIBXML2_WITH_DOCB=OFF -DLIBXML2_WITH_THREADS=OFF -DLIBXML2_WITH_THREAD_ALLOC=OFF
  done_step libxml2
fi

if step libplist; then
  # Only the library: its tools do not build here. Its configure insists on
  # -pthread, which would need a threaded page: Emscripten's pthread_once
  # works without it.
  (cd "$(folder libplist)" && { [ -x configure ] || run autoreconf -fi >/dev/null 2>&1; } &&
   run emconfigure ./configure -q --host=wasm32-unknown-emscripten --prefix="$prefix" \
     --disable-shared --enable-static --without-cython CFLAGS="$flags" CXXFLAGS="$flags" >/dev/null &&
   find . -name Makefile -exec sed -i 's/-pthread//g' {} + &&
   for part in libcnary src; do
     run emmake make -s -C "$part" -j "$jobs" CFLAGS="$optimise $flags" CXXFLAGS="$optimise $flags" >/dev/null || exit 1
   done &&
   make -s -C src install >/dev/null && make -s -C include install >/dev/null)
  done_step libplist
fi

if step GoogleTest; then
  rm -rf "$work/googletest-src"
  cp -r /usr/src/googletest "$work/googletest-src"
  cmake_dep "$work/googletest-src" -Dgtest_disable_pthreads=ON -DINSTALL_GTEST=ON
  done_step GoogleTest
fi

echo "$recipe" > "$stamp"
rm -rf "$work"
