#!/usr/bin/env bash
# Runs a window test on a real X server (Xvfb) under a real window manager
# (openbox), where windows are placed, stacked and given the focus as on a
# desktop: what the offscreen platform cannot show. Skipped (status 77) when
# either program is missing.
# Usage: UnderWindowManager.sh TEST_EXECUTABLE [TEST_FUNCTION...]
# TANDRIL_XVFB_DISPLAY picks the display number; otherwise Xvfb picks a free one.
set -uo pipefail
command -v Xvfb >/dev/null && command -v openbox >/dev/null ||
    { echo "skipped: Xvfb or openbox is not installed"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

if [ -n "${TANDRIL_XVFB_DISPLAY:-}" ]; then
    Xvfb ":$TANDRIL_XVFB_DISPLAY" -screen 0 1280x800x24 -nolisten tcp 2>"$work/xvfb.log" &
    pids+=($!)
    echo "$TANDRIL_XVFB_DISPLAY" >"$work/display"
else
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
fi
for _ in $(seq 100); do
    [ -s "$work/display" ] && xdpyinfo -display ":$(head -1 "$work/display")" >/dev/null 2>&1 && break
    sleep 0.1
done
export DISPLAY=":$(head -1 "$work/display")"
xdpyinfo >/dev/null 2>&1 || { cat "$work/xvfb.log"; echo "FAIL: Xvfb did not start"; exit 1; }

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# The window manager is there once it names itself on the root window.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

QT_QPA_PLATFORM=xcb "$@"
