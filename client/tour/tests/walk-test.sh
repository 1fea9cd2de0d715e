#!/usr/bin/env bash
# The journey as a test: the real client walks its own screens against the
# host stand-in (KIRO_TOUR=walk, offscreen, short session tick) and ends; then
# its effects are checked: the song received into karaoke/ and flagged in the
# catalogue, the reservation made and sung, the user-information mail on the
# host, the player started and ended.
#
# usage: walk-test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail

build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
bin=$build/bin
demo=$build/tour-walk-test
demo_name=walk-test
source "$source_dir/scripts/demo-prepare.sh"

for program in kiro kiro-hostsim kiro-db kiro-settings kiro-demo-content songbox songbox1; do
  if [ ! -x "$bin/$program" ]; then
    echo "walk-test: $bin/$program is not built" >&2
    exit 1
  fi
done

host_pid=
cleanup() {
  if [ -n "$host_pid" ]; then
    kill "$host_pid" 2>/dev/null
    wait "$host_pid" 2>/dev/null
  fi
}
trap cleanup EXIT

failures=0
check() { # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what" >&2
    failures=$((failures + 1))
  fi
}

demo_prepare_install
demo_prepare_host 0
[ -d "$demo/content" ] || { echo "walk-test: no song archives for the host" >&2; exit 1; }
demo_start_host --bps 9600
demo_write_settings

log=$demo/kiro.log
(
  cd "$install" &&
  # No display even on a desktop: the player follows the song without a window.
  env -u DISPLAY -u WAYLAND_DISPLAY KIRO_WINDIR="$windir" TMPDIR="$demo/tmp" QT_QPA_PLATFORM=offscreen \
    KIRO_TOUR=walk KIRO_TOUR_TICK_MS=50 KIRO_TOUR_LIMIT=75 timeout -k 5 100 "$bin/kiro" </dev/null >"$log" 2>&1
)
status=$?
grep '^kiro tour:' "$log"

check "the walk ended with exit code 0 (it was $status)" test "$status" -eq 0
check "the walk reached its end" grep -q '^kiro tour: walk done$' "$log"

code=$(sed -n 's/^kiro tour: reserved product \(.*\) to keep$/\1/p' "$log" | head -n 1)
check "a song was reserved" test -n "$code"
check "the reservation list showed it" grep -q '^kiro tour: reservations: [1-9]' "$log"
check "the transfer was seen under way" grep -q '^kiro tour: transfer under way: .*[1-9]' "$log"

query() { "$bin/kiro-db" query "$db" "$1" 2>>"$demo/query.log"; }
if [ -n "$code" ]; then
  row=$(query "SELECT ダウンロード済みフラグ, ファイル名 FROM 商品マスタ WHERE コースコード = \"010\" AND 商品コード = \"$code\";" | tail -n 1)
  flag=$(printf '%s' "$row" | cut -f1)
  file=$(printf '%s' "$row" | cut -f2)
  base=${file%.*}
  check "product $code is flagged as downloaded (row: $row)" test "$flag" = 1
  check "its KRD is in karaoke/" test -n "$(find "$install/karaoke" -maxdepth 1 -iname "$base.KRD" -size +0)"
  check "its MID is in karaoke/" test -n "$(find "$install/karaoke" -maxdepth 1 -iname "$base.MID" -size +0)"
fi
reservations=$(query 'SELECT COUNT(*) AS n FROM 予約テーブル;' | tail -n 1)
check "the sung reservation is gone (rows left: $reservations)" test "$reservations" = 0

check "the user-information mail reached the host" test -n "$(find "$demo/upload" -maxdepth 1 -name 'W*' -size +0 2>/dev/null)"
check "the mail is not sent again" test "$("$bin/kiro-settings" --windir "$windir" show MailToUserInfo)" = MailToUserInfo=1
check "the setup dialogs were left as they were" test "$("$bin/kiro-settings" --windir "$windir" show NiftyID)" = "NiftyID=$demo_member_id"
check "the player started" grep -q '^kiro tour: player started$' "$log"
check "the player showed words" grep -q '^kiro tour: lyric: .' "$log"
check "the player ended" grep -q '^kiro tour: player ended$' "$log"
check "the downloaded list showed songs" grep -q '^kiro tour: downloaded songs: [1-9]' "$log"
if [ -d "$demo/forum" ]; then
  check "the version-up list showed the forum's updates" grep -q '^kiro tour: version-up list: [1-9]' "$log"
fi

if [ "$failures" -ne 0 ]; then
  echo "walk-test: $failures check(s) failed; the client's output: $log" >&2
  tail -n 40 "$log" >&2
  exit 1
fi
rm -rf "$demo"
echo "walk-test: the journey passed"
