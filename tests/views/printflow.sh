#!/bin/sh
# Runs a GUI test on a display of its own: a fresh Xvfb through xvfb-run.
# Exit 77 (skipped) only when no Xvfb can be started here.
test="$1"
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "SKIPPED: xvfb-run is not installed (package xvfb); the print flow needs a display" >&2
  exit 77
fi
marker=$(mktemp)
xvfb-run -a -s "-screen 0 1600x900x24" sh -c 'echo started > "$1"; shift; exec "$@"' sh "$marker" "$test"
code=$?
started=$(cat "$marker" 2>/dev/null)
rm -f "$marker"
if [ "$started" != "started" ]; then
  echo "SKIPPED: Xvfb could not be started here (xvfb-run exit $code)" >&2
  exit 77
fi
exit $code
