#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   scripts/kestrel.sh run [EDITING_TYPE] [FILE]   install, build, start the editor
#   scripts/kestrel.sh test                        install, build, run every test
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${KESTREL_BUILD_DIR:-$ROOT/build}
mode=${1:-run}
[ $# -gt 0 ] && shift

scripts/install-deps.sh

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTREL_WERROR=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

case "$mode" in
  run)
    if [ $# -eq 0 ]; then
      # No file given: open the sample project that ships with the repository, on a copy so
      # the sample itself stays pristine.
      sample="$BUILD/sample-project.xml"
      cp resources/samples/sample-project.xml "$sample"
      set -- LOCAL_PROJ "$sample"
    fi
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      exec xvfb-run -a "$BUILD/bin/kestrel" "$@"
    fi
    exec "$BUILD/bin/kestrel" "$@"
    ;;
  test)
    cd "$BUILD"
    ctest --output-on-failure -j"$(nproc)" --timeout 300
    ;;
  *)
    echo "usage: $0 run [EDITING_TYPE FILE] | test" >&2
    exit 2
    ;;
esac
