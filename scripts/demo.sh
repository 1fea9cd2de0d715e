#!/usr/bin/env bash
# make demo: prepares a demo install folder and a demo Windows directory in
# the build tree, starts the host stand-in on a free loopback port (when it is
# built), and starts the client against it. With a display the client stays
# for the user. Without one it runs under Xvfb and walks its own screens
# (KIRO_TOUR=walk): one picture per screen in build-demo/demo/tour/, whose
# folder and files are printed; then everything is stopped again.
#
# usage: scripts/demo.sh [BUILD_DIR]     (default build-demo)
# environment: KIRO_DEMO_TOUR=DIR  where to save the pictures
set -euo pipefail

build=$(cd "${1:-build-demo}" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
bin=$build/bin
demo=$build/demo
demo_name=demo
source "$source_dir/scripts/demo-prepare.sh"

if [ ! -x "$bin/kiro" ]; then
  demo_say "the client $bin/kiro is not built"
  exit 1
fi

host_pid=
client_pid=
xvfb_pid=
cleanup() {
  for pid in $client_pid $host_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in $client_pid $host_pid $xvfb_pid; do
    wait "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT

demo_prepare_install
if [ -n "${DISPLAY:-}" ]; then
  # Every tenth song is not ready on the host: the demo shows a cancellation too.
  demo_prepare_host 10
  demo_start_host
else
  # The walk receives a song: all are ready, and the line is slow enough
  # for the progress window to be seen mid-transfer.
  demo_prepare_host 0
  demo_start_host --bps 2400
fi
demo_write_settings

export KIRO_WINDIR=$windir
export TMPDIR=$demo/tmp
cd "$install"

if [ -n "${DISPLAY:-}" ]; then
  demo_say "starting the client in $install"
  "$bin/kiro" &
  client_pid=$!
  wait "$client_pid" || true
  client_pid=
  exit 0
fi

# No display: a virtual one, large enough for the karaoke screen and the
# player's window beside the client's own 640x480.
if ! command -v Xvfb >/dev/null; then
  demo_say "no DISPLAY and no Xvfb: cannot show the client"
  exit 1
fi
display=
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=$n; break; }
done
if [ -z "$display" ]; then
  demo_say "no free X display number"
  exit 1
fi
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$demo/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
if ! kill -0 "$xvfb_pid" 2>/dev/null; then
  demo_say "Xvfb did not start (see $demo/xvfb.log)"
  exit 1
fi
export DISPLAY=:$display
unset QT_QPA_PLATFORM

tour=${KIRO_DEMO_TOUR:-$demo/tour}
rm -rf "$tour"
demo_say "the client walks its screens (log: $demo/kiro.log)"
status=0
KIRO_TOUR=walk KIRO_TOUR_SHOTS=$tour "$bin/kiro" >"$demo/kiro.log" 2>&1 &
client_pid=$!
wait "$client_pid" || status=$?
client_pid=
if [ "$status" -ne 0 ]; then
  grep '^kiro tour:' "$demo/kiro.log" | tail -n 5 >&2 || true
  demo_say "the walk failed (exit $status; see $demo/kiro.log)"
  exit 1
fi
echo "$tour"
ls -1 "$tour"
