#!/usr/bin/env bash
# Measures CI as a new machine sees it: a clean clone of this checkout's
# HEAD, HOME at an empty folder (no compiler cache, no libraries, no clang-tidy
# results, no wine prefix), then .ci/run under `time`; with --warm, .ci/run a
# second time in a second clean clone on the caches the first one left.
# The Debian packages are taken as installed. Prints each step's minutes.
#
#   tools/ci/cold-run.sh [--warm] [WORK_FOLDER]
#
# WORK_FOLDER (default: a new temporary folder) keeps the clones, the HOME
# and the logs (cold.log, warm.log) for a look afterwards.
set -euo pipefail

warm=0
if [ "${1:-}" = "--warm" ]; then
  warm=1
  shift
fi
source_tree="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="${1:-$(mktemp -d /tmp/pavlune-cold-run.XXXXXX)}"
mkdir -p "$work"
home="$work/home"
rm -rf "$home"
mkdir -p "$home"

run_ci() { # run_ci NAME: a clean clone and .ci/run in it, timed
  local name="$1" clone="$work/$1" status=0
  rm -rf "$clone"
  git clone -q "$source_tree" "$clone"
  git -C "$clone" checkout -q "$(git -C "$source_tree" rev-parse HEAD)"
  echo "$name run: $clone (HOME=$home, log $work/$name.log)"
  local started=$SECONDS
  (cd "$clone" && env -u CCACHE_DIR -u XDG_CACHE_HOME -u PAVLUNE_WIN_DEPS -u PAVLUNE_WEB_DEPS \
     -u PAVLUNE_TIDY_CACHE -u WINEPREFIX HOME="$home" .ci/run) >"$work/$name.log" 2>&1 || status=$?
  echo "$name run: status $status after $(awk -v s=$((SECONDS - started)) 'BEGIN { printf "%.1f", s / 60 }') min"
  sed -n '/^=== CI steps/,$p' "$work/$name.log"
  return "$status"
}

run_ci cold
if [ "$warm" -eq 1 ]; then
  run_ci warm
fi
