# shellcheck shell=bash
# What the Windows and the browser build drivers (proj.win32/windows.sh,
# proj.web/web.sh) share to get their libraries. Sourced, not run. Not part of
# the recipes' keys: nothing here shapes what is built.

pavlune_cache="${XDG_CACHE_HOME:-$HOME/.cache}/pavlune-cards"

as_root() {
  if [ "$(id -u)" -ne 0 ]; then sudo "$@"; else "$@"; fi
}

# apt-get source needs deb-src entries; a stock Debian 12 has only deb ones.
# The same mirrors and suites are added for sources.
ensure_source_packages() {
  if apt-get source --print-uris -qq libplist >/dev/null 2>&1; then
    return 0
  fi
  echo "Adding deb-src entries for apt-get source"
  local list=/etc/apt/sources.list.d/pavlune-deb-src
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$list.sources" >/dev/null
  else
    grep -h '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      sed 's/^deb /deb-src /' | as_root tee "$list.list" >/dev/null
  fi
  as_root apt-get update -qq
}

# build_libraries RECIPE NAME [PREFIX]: sets deps to PREFIX or, by default, to
# the cache folder NAME-<the recipe's key>, and runs the recipe there (which
# returns at once when that prefix is finished). Named by the key, checkouts
# with different recipes on one machine each keep their own set.
build_libraries() {
  local recipe="$1" name="$2" key
  ensure_source_packages
  if [ -n "${3:-}" ]; then
    deps="$3"
  else
    key="$("$recipe" --key)"
    deps="$pavlune_cache/$name-${key:0:12}"
  fi
  mkdir -p "$(dirname "$deps")"
  "$recipe" "$deps"
}
