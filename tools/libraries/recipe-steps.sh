# shellcheck shell=bash
# The steps that both platform recipes (proj.win32/build-deps.sh,
# proj.web/build-deps.sh) take to build the libraries from Debian's own source
# packages into a prefix. Sourced, not run. Each recipe keeps its toolchain and
# its platform's configure options; what the editor needs of each library
# (and leaves out) is chosen here once:
#
#   . tools/libraries/recipe-steps.sh
#   cmake_platform_options=(-DCMAKE_TOOLCHAIN_FILE=...)
#   open_recipe "web deps" "$(recipe_key "COMPILER VERSION" FILE...)" "$@"
#   step SDL2 build_sdl2 PLATFORM-OPTIONS...
#   ...
#   close_recipe
#
# This file is part of every recipe's key: an edit here rebuilds both sets.

recipe_steps_file="${BASH_SOURCE[0]}"
debian_sources=(libsdl2 libsdl2-image libsdl2-ttf freetype libxml2 libplist)
jobs="${PAVLUNE_JOBS:-$(nproc)}"
cmake_platform_options=()

# The recipe's key: this file, the recipe's own FILEs, the COMPILER's version
# and the Debian source versions (the names of their .dsc files). Comment
# lines and blank lines do not count: rewording a comment rebuilds nothing.
recipe_key() {
  local compiler="$1"
  shift
  (grep -hv -e '^[[:space:]]*#' -e '^[[:space:]]*$' "$recipe_steps_file" "$@"
   echo "$compiler"
   apt-get source --print-uris -qq "${debian_sources[@]}" | grep -o "[^/' ]*\.dsc") | sha256sum | cut -c1-16
}

# open_recipe LABEL KEY (PREFIX | --key): with --key, prints KEY and ends the
# script. A PREFIX already finished by KEY ends it too; otherwise the sources
# are unpacked into PREFIX.work, beside the prefix, and the licences copied.
# An interrupted run of the same key resumes after its last finished step.
open_recipe() {
  label="$1" recipe="$2" prefix="${3:?usage: build-deps.sh PREFIX | --key}"
  if [ "$prefix" = "--key" ]; then
    echo "$recipe"
    exit 0
  fi
  stamp="$prefix/.recipe"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
    exit 0
  fi
  work="$prefix.work"
  if [ -f "$stamp" ]; then
    rm -rf "$prefix" # finished, but by another recipe
  fi
  if [ "$(cat "$work/.recipe" 2>/dev/null)" != "$recipe" ]; then
    rm -rf "$work" # steps of another recipe are no head start
  fi
  mkdir -p "$prefix/lib/pkgconfig" "$prefix/share/licences" "$work"
  echo "$recipe" > "$work/.recipe"
  cd "$work" || exit 1
  recipe_started=$SECONDS
  # Unpacked (and checked against their signatures' checksums) by apt-get.
  if [ ! -f "$work/.sources" ]; then
    apt-get source -qq "${debian_sources[@]}" >/dev/null
    touch "$work/.sources"
  fi
  # The licences that travel with the programs.
  local source
  for source in "${debian_sources[@]}"; do
    cp "$(folder "$source")/debian/copyright" "$prefix/share/licences/$source.txt"
  done
}

close_recipe() {
  echo "$recipe" > "$stamp"
  rm -rf "$work"
  echo "$label: all built in $((SECONDS - recipe_started)) s"
}

# step NAME COMMAND...: runs COMMAND once per recipe, timed.
step() {
  local name="$1" started=$SECONDS
  shift
  if [ -f "$work/.done-$name" ]; then
    return 0
  fi
  echo "$label: $name"
  "$@"
  touch "$work/.done-$name"
  echo "$label: $name built in $((SECONDS - started)) s"
}

# The unpacked source folder of a Debian source package.
folder() { find "$work" -maxdepth 1 -mindepth 1 -type d -name "$1-[0-9]*" | head -n1; }

run() { nice -n 10 "$@"; }

# cmake_dep SOURCE OPTIONS...: a static Release build installed into the prefix.
cmake_dep() {
  local src="$1"
  shift
  run cmake -S "$src" -B "$src/build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF \
    "${cmake_platform_options[@]}" "$@" >/dev/null
  run cmake --build "$src/build" -j "$jobs" >/dev/null
  run cmake --install "$src/build" >/dev/null
}

# The project finds every library through pkg-config; SDL2_image's and
# SDL2_ttf's CMake builds install no file for it on these platforms.
sdl_pc_file() {
  local name="$1" version="$2" requires="$3" private="$4"
  cat > "$prefix/lib/pkgconfig/$name.pc" <<PC
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: $name
Description: $name, built from Debian's source package ($label)
Version: $version
Requires: $requires
Requires.private: $private
Libs: -L\${libdir} -l$name
Cflags: -I\${includedir}/SDL2
PC
}

# Only what the editor uses: SDL2 without audio, joysticks, haptics, sensors,
# power or locale; no harfbuzz, PNG or compression in freetype; SDL2_image
# with its own stb PNG reader and writer only; libxml2's parser alone.
build_sdl2() {
  cmake_dep "$(folder libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_AUDIO=OFF \
    -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF "$@"
}

build_freetype() {
  cmake_dep "$(folder freetype)" -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_BZIP2=ON \
    -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_ZLIB=ON "$@"
}

build_sdl2_image() {
  cmake_dep "$(folder libsdl2-image)" -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
    -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF \
    -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_JPG=OFF \
    -DSDL2IMAGE_PNG=ON "$@"
  sdl_pc_file SDL2_image 2.6.3 sdl2 ""
}

build_sdl2_ttf() {
  cmake_dep "$(folder libsdl2-ttf)" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF -DSDL2TTF_SAMPLES=OFF "$@"
  sdl_pc_file SDL2_ttf 2.20.1 sdl2 freetype2
}

build_libxml2() {
  cmake_dep "$(folder libxml2)" -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_LZMA=OFF \
    -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_TESTS=OFF \
    -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_CATALOG=OFF \
    -DLIBXML2_WITH_DOCB=OFF "$@"
}

# GoogleTest from the googletest package's sources (it has no source package
# of its own in this list); built from a copy, /usr/src stays untouched.
build_googletest() {
  rm -rf "$work/googletest-src"
  cp -r /usr/src/googletest "$work/googletest-src"
  cmake_dep "$work/googletest-src" -DINSTALL_GTEST=ON "$@"
}

# libplist has only autotools: configure OPTIONS... in its folder, after
# generating configure where the source package has none.
configure_libplist() {
  cd "$(folder libplist)" || exit 1
  [ -x configure ] || run autoreconf -fi >/dev/null 2>&1
  run "$@" -q --prefix="$prefix" --without-cython >/dev/null
}
