#!/usr/bin/env bash
# Sourced by demo.sh and tour-test.sh: prepares a demo install folder and
# Windows directory, the host stand-in's songs and forum, starts the stand-in
# on a free loopback port and writes the client's settings for it.
#
# Before calling, set: bin (the programs), build (their build tree), demo (a
# folder of its own, emptied), source_dir (the source tree).
# Sets: install, windir, db, host_pid, host_port, host_args.

demo_member_id=DEMO0001
demo_member_password=kiro1996

demo_say() { printf '%s: %s\n' "${demo_name:-demo}" "$*" >&2; }

# The install folder: pictures, texts, the background songs, the player and
# the sample catalogue.
demo_prepare_install() {
  install=$demo/KIRO
  windir=$demo/windows
  rm -rf "$demo"
  mkdir -p "$install"/{sysfile,InfoText,karaoke/Pict,karaoke/User,MAIL,CDEx} "$windir" "$demo/tmp"
  if [ -d "$build/assets/sysfile" ]; then
    cp "$build/assets/sysfile/"*.bmp "$install/sysfile/"
    cp "$build/assets/InfoText/"* "$install/InfoText/"
  else
    demo_say "no generated pictures in $build/assets (the kiro_assets target); the screens will be plain"
  fi
  # The background songs and the demo karaoke song (KIRODEMO.KRD), composed by kiro-bgm.
  if [ -d "$build/assets/karaoke" ]; then
    cp "$build/assets/karaoke/"* "$install/karaoke/"
  else
    demo_say "no background songs in $build/assets/karaoke (the kiro_songs target); the client will be silent"
  fi
  local program
  for program in songbox songbox1; do
    if [ -x "$bin/$program" ]; then
      cp "$bin/$program" "$install/karaoke/"
    fi
  done
  if [ -x "$install/karaoke/songbox" ]; then
    cp "$install/karaoke/songbox" "$install/karaoke/SONGBOX.EXE"
  fi
  # The demo songs ask for one picture; the client starts the player with
  # the user's own pictures (-quser), so it takes this one from karaoke/User.
  if [ -f "$build/assets/sysfile/Lite001.bmp" ]; then
    cp "$build/assets/sysfile/Lite001.bmp" "$install/karaoke/User/KIROPICT.BMP"
  fi

  # The sample catalogue; an empty one with the schema when the database tool
  # cannot make a sample.
  db=$install/sysfile/KIRODB.MDB
  if [ -x "$bin/kiro-db" ] && "$bin/kiro-db" sample "$db" >/dev/null 2>&1; then
    demo_say "sample catalogue: $db"
  elif [ -x "$bin/kiro-db" ] && "$bin/kiro-db" create "$db" >/dev/null 2>&1; then
    demo_say "empty catalogue: $db"
  elif [ -x "$bin/kiro-empty-catalogue" ] && "$bin/kiro-empty-catalogue" "$db"; then
    demo_say "empty catalogue (schema only): $db"
  else
    demo_say "cannot make a catalogue: the client will end after its splash"
  fi
}

# The host's karaoke area and forum. $1: every how many products one is left
# out, to show a not-ready cancellation (0: none left out).
demo_prepare_host() {
  local leave_out=${1:-10}
  # kiro-demo-content writes one stored (-lh0-) LZH archive of invented KRD
  # and MID files per product and set.
  host_args=(--port 0 --member "$demo_member_id:$demo_member_password")
  if [ -x "$bin/kiro-demo-content" ] && [ -f "$db" ] &&
     "$bin/kiro-demo-content" "$db" "$demo/content" --leave-out "$leave_out" --songs "$install/karaoke" >"$demo/content.log" 2>&1; then
    demo_say "song archives: $(cat "$demo/content.log")"
    host_args+=(--catalogue "$db" --content "$demo/content" --upload "$demo/upload")
  fi
  # The operator's forum with two database updates (maintenance menu entry 5).
  if bash "$source_dir/scripts/demo-forum.sh" "$demo/forum" >/dev/null; then
    host_args+=(--forum "$demo/forum")
  fi
}

# Starts kiro-hostsim with host_args and any further arguments given.
demo_start_host() {
  host_port=2323
  host_pid=
  if [ ! -x "$bin/kiro-hostsim" ]; then
    demo_say "kiro-hostsim is not built: the client runs without a host to call"
    return 0
  fi
  "$bin/kiro-hostsim" "${host_args[@]}" "$@" >"$demo/hostsim.log" 2>&1 &
  host_pid=$!
  local port _
  for _ in $(seq 1 50); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$demo/hostsim.log" | head -n 1)
    if [ -n "$port" ]; then
      host_port=$port
      break
    fi
    sleep 0.1
  done
  demo_say "host stand-in on 127.0.0.1:$host_port (log: $demo/hostsim.log)"
}

# The TELNET phone book entry for the stand-in and the member's settings.
demo_write_settings() {
  cat >"$windir/registry.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvel\\ＫＩＲＯ\\Telnet]
"Default"="127.0.0.1:$host_port"
REG
  local settings=(SetupIsOK=1 ComPort=5 BaudRate=9600 AccessPoint=0312345678 "AccessPointName=デモ(東京)"
    RoadType=3 "NiftyID=$demo_member_id" "NiftyPassWord=$demo_member_password" "Name=デモ会員" "$@")
  if [ -x "$bin/kiro-settings" ]; then
    "$bin/kiro-settings" --windir "$windir" set "${settings[@]}" >/dev/null
  else
    # Written by hand: code page 932, CRLF; the password in parentheses is read as it stands.
    {
      printf '[Setup]\r\nSetupIsOK=1\r\nComPort=5\r\nBaudRate=9600\r\nAccessPoint=0312345678\r\n'
      printf 'AccessPointName=デモ(東京)\r\nRoadType=3\r\n[ParsonalInfo]\r\nNiftyID=%s\r\n' "$demo_member_id"
      printf 'NiftyPassWord=(%s)\r\nName=デモ会員\r\n' "$demo_member_password"
    } | iconv -f UTF-8 -t CP932 >"$windir/KIROL.INI"
  fi
}
