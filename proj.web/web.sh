#!/usr/bin/env bash
# The browser build, from this Debian machine (./pavlune.sh web, web-test and
# serve run it after installing the packages):
#
#   proj.web/web.sh site    libraries, the page: build-web/site/
#   proj.web/web.sh test    the site, then the unit tests under node and the
#                           page's tests in headless Chromium
#   proj.web/web.sh serve   serves build-web/site/ on http://127.0.0.1:PORT/
#   proj.web/web.sh libraries   the libraries only
#
# BUILD_DIR (default build-web), PAVLUNE_WEB_DEPS (the libraries' prefix,
# default ~/.cache/pavlune-cards/web-deps-<recipe>, reused by later runs), PORT
# (default 8080) and CMAKE_ARGS may be set in the environment.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build_dir="${BUILD_DIR:-$root/build-web}"
# emcc's JavaScript tools need Debian's node modules; this Emscripten's
# loader predates node's own fetch.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
export NODE_OPTIONS="${NODE_OPTIONS:---no-experimental-fetch}"
site="$build_dir/site"

# shellcheck source-path=SCRIPTDIR/.. source=tools/libraries/driver-steps.sh
. "$root/tools/libraries/driver-steps.sh"

libraries() {
  build_libraries "$here/build-deps.sh" web-deps "${PAVLUNE_WEB_DEPS:-}"
}

build_site() {
  libraries
  # Emscripten's toolchain looks for libraries only in its own sysroot: the
  # prefix is searched as well, and pkg-config reads only the prefix.
  # shellcheck disable=SC2086
  PKG_CONFIG_LIBDIR="$deps/lib/pkgconfig" PKG_CONFIG_PATH="" \
  cmake -S "$root" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
    -DCMAKE_BUILD_TYPE=Release -DPAVLUNE_BUILD_BENCHMARKS=OFF -DCMAKE_PREFIX_PATH="$deps" \
    -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=BOTH -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=BOTH \
    -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=BOTH -DCMAKE_EXE_LINKER_FLAGS="-L$deps/lib" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node);--no-experimental-fetch" ${CMAKE_ARGS:-} >/dev/null
  cmake --build "$build_dir" -j "$(nproc)"

  rm -rf "$site"
  mkdir -p "$site/licences"
  cp "$build_dir/bin/pavlune-cards.html" "$site/index.html"
  cp "$build_dir/bin/pavlune-cards.js" "$build_dir/bin/pavlune-cards.wasm" "$build_dir/bin/pavlune-cards.data" \
    "$build_dir/bin/pavlune-pictures.data" "$site/"
  cp "$deps"/share/licences/* "$site/licences/"
  cp /usr/share/doc/fonts-noto-cjk/copyright "$site/licences/fonts-noto-cjk.txt"
  cp "$root/copyright" "$site/licences/PavluneCards.txt" 2>/dev/null || cp -r "$root/copyright" "$site/licences/"
  # Manifest, offline worker, version and gzip copies.
  python3 "$here/site/finish_site.py" "$root" "$site"
}

serve() {
  [ -f "$site/index.html" ] || build_site
  local port="${PORT:-8080}"
  exec python3 "$here/site/serve.py" "$site" --port "$port"
}

run_tests() {
  build_site
  ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
  # The page in a real browser; its program listing is compared with the
  # desktop's export tool, built here when missing.
  local native="${PAVLUNE_NATIVE_BUILD:-$root/build}"
  if [ ! -x "$native/bin/pavlune-export" ]; then
    cmake -S "$root" -B "$native" >/dev/null
    cmake --build "$native" --target pavlune-export -j "$(nproc)"
  fi
  python3 "$root/tests/web/browser_test.py" --site "$site" --export "$native/bin/pavlune-export"
  # A second visit with the server gone, and the next version announced.
  python3 "$root/tests/web/offline_test.py" --site "$site"
  # Two tabs on one store.
  python3 "$root/tests/web/tabs_test.py" --site "$site"
  # A program built, edited and zoomed with fingers alone.
  python3 "$root/tests/web/touch_test.py" --site "$site"
  # A hidden tab's list picture; the store's copy in a folder, and back.
  python3 "$root/tests/web/keeping_test.py" --site "$site"
  # A school day: offline after one visit, a program built and run on the
  # page's own board simulator with its rows lit in turn, the class exported
  # and imported in a fresh profile.
  python3 "$root/tests/web/school_day_test.py" --site "$site"
  # The board over Web Serial, on a stand-in for the browser's serial ports.
  python3 "$root/tests/web/serial_page_test.py" --site "$site" --export "$native/bin/pavlune-export"
  # The same sends made by the program's own C++ schedule (the test program
  # pavlune-transfer-page, built with the site), polled once a frame in a real
  # page, in real time.
  python3 "$here/serial/tests/run_browser_test.py" --wasm "$build_dir/transfer-page" \
    "$native/bin/pavlune-export" "$root/tests/program/golden" basic.jam basic.latte basic.que full.jam paprika.latte
}

case "${1:-}" in
  libraries) libraries ;;
  site) build_site ;;
  test) run_tests ;;
  serve) serve ;;
  *) echo "usage: $0 libraries|site|test|serve" >&2; exit 2 ;;
esac
