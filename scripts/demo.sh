#!/usr/bin/env bash
# make demo: prepares a demo install folder and a demo Windows directory in
# the build tree, starts the host stand-in on a free loopback port (when it is
# built), and starts the client against it. Without a display the client runs
# under Xvfb: a screenshot of the top screen is saved as a PNG, its path is
# printed on a line of its own, and everything is stopped again.
#
# usage: scripts/demo.sh [BUILD_DIR]     (default build-demo)
# environment: KIRO_DEMO_SHOT=FILE  where to save the screenshot
#              KIRO_DEMO_WAIT=SECONDS  how long to let the client draw (4)
set -euo pipefail

build=$(cd "${1:-build-demo}" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
bin=$build/bin
demo=$build/demo
install=$demo/KIRO
windir=$demo/windows
member_id=DEMO0001
member_password=kiro1996

say() { printf 'demo: %s\n' "$*" >&2; }

if [ ! -x "$bin/kiro" ]; then
  say "the client $bin/kiro is not built"
  exit 1
fi

# --- Install folder ---------------------------------------------------------
rm -rf "$demo"
mkdir -p "$install"/{sysfile,InfoText,karaoke/Pict,karaoke/User,MAIL,CDEx} "$windir" "$demo/tmp"
if [ -d "$build/assets/sysfile" ]; then
  cp "$build/assets/sysfile/"*.bmp "$install/sysfile/"
  cp "$build/assets/InfoText/"* "$install/InfoText/"
else
  say "no generated pictures in $build/assets (the kiro_assets target); the screens will be plain"
fi
# The background songs and the demo karaoke song (KIRODEMO.KRD), composed by kiro-bgm.
if [ -d "$build/assets/karaoke" ]; then
  cp "$build/assets/karaoke/"* "$install/karaoke/"
else
  say "no background songs in $build/assets/karaoke (the kiro_songs target); the client will be silent"
fi
for program in songbox songbox1; do
  if [ -x "$bin/$program" ]; then
    cp "$bin/$program" "$install/karaoke/"
  fi
done
[ -x "$install/karaoke/songbox" ] && cp "$install/karaoke/songbox" "$install/karaoke/SONGBOX.EXE"

# The sample catalogue; an empty one with the schema when the database tool
# cannot make a sample.
db=$install/sysfile/KIRODB.MDB
if [ -x "$bin/kiro-db" ] && "$bin/kiro-db" sample "$db" >/dev/null 2>&1; then
  say "sample catalogue: $db"
elif [ -x "$bin/kiro-db" ] && "$bin/kiro-db" create "$db" >/dev/null 2>&1; then
  say "empty catalogue: $db"
elif [ -x "$bin/kiro-empty-catalogue" ] && "$bin/kiro-empty-catalogue" "$db"; then
  say "empty catalogue (schema only): $db"
else
  say "cannot make a catalogue: the client will end after its splash"
fi

# --- Host stand-in ----------------------------------------------------------
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

host_port=2323
# The karaoke area serves the sample catalogue's products by data address:
# kiro-demo-content writes one stored (-lh0-) LZH archive of invented KRD and
# MID files per product and set, leaving every tenth out so that the demo
# also shows a not-ready cancellation.
host_args=(--port 0 --member "$member_id:$member_password")
if [ -x "$bin/kiro-demo-content" ] && [ -f "$db" ] &&
   "$bin/kiro-demo-content" "$db" "$demo/content" --songs "$install/karaoke" >"$demo/content.log" 2>&1; then
  say "song archives: $(cat "$demo/content.log")"
  host_args+=(--catalogue "$db" --content "$demo/content" --upload "$demo/upload")
fi
# The operator's forum with two database updates (maintenance menu entry 5).
if bash "$source_dir/scripts/demo-forum.sh" "$demo/forum" >/dev/null; then
  host_args+=(--forum "$demo/forum")
fi
if [ -x "$bin/kiro-hostsim" ]; then
  "$bin/kiro-hostsim" "${host_args[@]}" >"$demo/hostsim.log" 2>&1 &
  host_pid=$!
  for _ in $(seq 1 50); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$demo/hostsim.log" | head -n 1)
    if [ -n "$port" ]; then
      host_port=$port
      break
    fi
    sleep 0.1
  done
  say "host stand-in on 127.0.0.1:$host_port (log: $demo/hostsim.log)"
else
  say "kiro-hostsim is not built: the client runs without a host to call"
fi

# --- Windows directory: settings and the TELNET phone book -------------------
cat >"$windir/registry.reg" <<EOF
REGEDIT4

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvel\\ＫＩＲＯ\\Telnet]
"Default"="127.0.0.1:$host_port"
EOF
settings=(SetupIsOK=1 ComPort=5 BaudRate=9600 AccessPoint=0312345678 "AccessPointName=デモ(東京)"
  RoadType=3 "NiftyID=$member_id" "NiftyPassWord=$member_password" "Name=デモ会員")
if [ -x "$bin/kiro-settings" ]; then
  "$bin/kiro-settings" --windir "$windir" set "${settings[@]}" >/dev/null
else
  # Written by hand: code page 932, CRLF; the password in parentheses is read as it stands.
  {
    printf '[Setup]\r\nSetupIsOK=1\r\nComPort=5\r\nBaudRate=9600\r\nAccessPoint=0312345678\r\n'
    printf 'AccessPointName=デモ(東京)\r\nRoadType=3\r\n[ParsonalInfo]\r\nNiftyID=%s\r\n' "$member_id"
    printf 'NiftyPassWord=(%s)\r\nName=デモ会員\r\n' "$member_password"
  } | iconv -f UTF-8 -t CP932 >"$windir/KIROL.INI"
fi

# --- The client ---------------------------------------------------------------
export KIRO_WINDIR=$windir
export TMPDIR=$demo/tmp
cd "$install"

if [ -n "${DISPLAY:-}" ]; then
  say "starting the client in $install"
  "$bin/kiro" &
  client_pid=$!
  wait "$client_pid" || true
  client_pid=
  exit 0
fi

# No display: run under Xvfb at the client's own 640x480 and photograph it.
if ! command -v Xvfb >/dev/null; then
  say "no DISPLAY and no Xvfb: cannot show the client"
  exit 1
fi
display=
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=$n; break; }
done
if [ -z "$display" ]; then
  say "no free X display number"
  exit 1
fi
Xvfb ":$display" -screen 0 640x480x24 -nolisten tcp >"$demo/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
if ! kill -0 "$xvfb_pid" 2>/dev/null; then
  say "Xvfb did not start (see $demo/xvfb.log)"
  exit 1
fi
export DISPLAY=:$display
unset QT_QPA_PLATFORM

"$bin/kiro" >"$demo/kiro.log" 2>&1 &
client_pid=$!
sleep "${KIRO_DEMO_WAIT:-4}"
if ! kill -0 "$client_pid" 2>/dev/null; then
  say "the client ended early (see $demo/kiro.log)"
  exit 1
fi
shot=${KIRO_DEMO_SHOT:-$demo/kiro-top-screen.png}
import -display "$DISPLAY" -window root "$shot"
echo "$shot"
