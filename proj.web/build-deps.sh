#!/usr/bin/env bash
# Builds the libraries that the browser build links, with Emscripten, from
# Debian's own source packages (apt-get source), into a prefix that later
# runs reuse:
#
#   proj.web/build-deps.sh PREFIX
#   proj.web/build-deps.sh --key    prints the recipe's key (see below)
#
# All static: SDL2 (no threads), freetype, SDL2_image (its own stb PNG
# reader), SDL2_ttf (no harfbuzz), libxml2, libplist and GoogleTest. The
# steps both platforms share are in tools/libraries/recipe-steps.sh. A
# finished prefix holds a stamp with the recipe's key: this script, the
# shared steps, the SDL2 configure answers, the compiler's version and the
# Debian source versions; a changed key builds the prefix again.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source-path=SCRIPTDIR/.. source=tools/libraries/recipe-steps.sh
. "$(dirname "$here")/tools/libraries/recipe-steps.sh"
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
sdl_checks="$here/sdl2-emscripten-checks.cmake"
# Assigned first: a failing look-up inside an argument would go unnoticed.
key="$(recipe_key "$(emcc --version | sed -n 1p)" "${BASH_SOURCE[0]}" "$sdl_checks")"
open_recipe "web deps" "$key" "$@"

# The optimisation goes only into the libraries' own objects: a configure
# check that links with -O2 runs Emscripten's whole optimiser (wasm-opt and
# the JavaScript passes), ten seconds or more a check on a busy machine.
flags="-fexceptions"
optimise="-O2 -DNDEBUG"
cmake_platform_options=(
  -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
  -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" -DCMAKE_FIND_ROOT_PATH="$prefix"
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags"
  -DCMAKE_C_FLAGS_RELEASE="$optimise" -DCMAKE_CXX_FLAGS_RELEASE="$optimise")

# Without threads, and told so: libxml2's configure check finds Emscripten's
# pthread.h, and the thread code then does not compile.
build_libxml2_without_threads() {
  rm -rf "$(folder libxml2)/build"
  build_libxml2 -DHAVE_PTHREAD_H=OFF -DLIBXML2_WITH_THREADS=OFF -DLIBXML2_WITH_THREAD_ALLOC=OFF
}

# Only the library: its tools do not build here. Its configure insists on
# -pthread, which would need a threaded page: Emscripten's pthread_once works
# without it.
build_libplist() (
  configure_libplist emconfigure ./configure --host=wasm32-unknown-emscripten --disable-shared --enable-static \
    CFLAGS="$flags" CXXFLAGS="$flags"
  find . -name Makefile -exec sed -i 's/-pthread//g' {} +
  for part in libcnary src; do
    run emmake make -s -C "$part" -j "$jobs" CFLAGS="$optimise $flags" CXXFLAGS="$optimise $flags" >/dev/null
  done
  make -s -C src install >/dev/null
  make -s -C include install >/dev/null
)

# The configure checks' answers come up front: each one would run emcc.
step SDL2 build_sdl2 -C "$sdl_checks" -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF
step freetype build_freetype
step SDL2_image build_sdl2_image
step SDL2_ttf build_sdl2_ttf
step libxml2 build_libxml2_without_threads
step libplist build_libplist
step GoogleTest build_googletest -Dgtest_disable_pthreads=ON
close_recipe
