#!/usr/bin/env bash
# Cross-builds the libraries that the Windows build links, from Debian's own
# source packages (apt-get source), into a prefix that later runs reuse:
#
#   proj.win32/build-deps.sh PREFIX
#   proj.win32/build-deps.sh --key    prints the recipe's key (see below)
#
# SDL2, SDL2_image (its own PNG reader and writer), SDL2_ttf (no harfbuzz),
# freetype, libxml2 and GoogleTest are static; libplist is LGPL and is built
# as a DLL that ships beside the executables. zlib comes from
# libz-mingw-w64-dev. The steps both platforms share are in
# tools/libraries/recipe-steps.sh. A finished prefix holds a stamp with the
# recipe's key (this script, the shared steps, the toolchain file, the
# compiler's version and the Debian source versions); a changed key builds
# the prefix again.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
# shellcheck source-path=SCRIPTDIR/.. source=tools/libraries/recipe-steps.sh
. "$root/tools/libraries/recipe-steps.sh"
host=x86_64-w64-mingw32
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
# Assigned first: a failing look-up inside an argument would go unnoticed.
key="$(recipe_key "$($host-g++-posix --version | sed -n 1p)" "${BASH_SOURCE[0]}" "$toolchain")"
open_recipe "windows deps" "$key" "$@"
cp "$(folder libplist)/COPYING.LESSER" "$prefix/share/licences/libplist-LGPL-2.1.txt"

cmake_platform_options=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DPAVLUNE_WIN_DEPS="$prefix")

build_libplist() (
  configure_libplist env CC="$host-gcc-posix" CXX="$host-g++-posix" AR="$host-ar" RANLIB="$host-ranlib" \
    PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:/usr/$host/lib/pkgconfig" PKG_CONFIG_PATH= \
    LDFLAGS="-static-libgcc -static-libstdc++" ./configure --host=$host --enable-shared --disable-static
  run make -s -j "$jobs" >/dev/null
  run make -s install >/dev/null
  # The executables link with -static, which takes only lib*.a: the import
  # library under that name still binds to the DLL.
  cp "$prefix/lib/libplist-2.0.dll.a" "$prefix/lib/libplist-2.0.a"
)

step SDL2 build_sdl2
step freetype build_freetype
step SDL2_image build_sdl2_image -DSDL2IMAGE_BACKEND_WIC=OFF
step SDL2_ttf build_sdl2_ttf
step libxml2 build_libxml2
step libplist build_libplist
step GoogleTest build_googletest -Dgtest_disable_pthreads=OFF
close_recipe
