#!/usr/bin/env bash
# Writes the operator's forum for the host stand-in (kiro-hostsim --forum
# DIR): two database updates in the version-up room 3, each announcing an
# archive in library 3 whose $KrDBUPD.SQL adds new songs to the sample
# catalogue, and a program update the client leaves alone.
#
# usage: scripts/demo-forum.sh FORUM_DIR
set -euo pipefail

forum=$1
archiver=$(command -v jlha || command -v lha || true)
if [ -z "$archiver" ]; then
  echo "demo-forum: neither jlha nor lha is installed: no forum" >&2
  exit 1
fi
rm -rf "$forum"
mkdir -p "$forum/room3" "$forum/lib3" "$forum/work"

cat >"$forum/forum.txt" <<'TXT'
# The operator's forum of the demo (go KIROFORM).
title = ＫＩＲＯ　オペレーターフォーラム
room = 1 雑談室
room = 3 バージョンアップ情報
library = 3 バージョンアップデータ
TXT

# song CODE TITLE READING ROMAN READCODE ROMANCODE SINGER SREADING SROMAN SREADCODE SROMANCODE
song() {
  printf "INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名, 商品名読み, 商品名英語, 商品名読みコード, 商品名英語コード, 歌手名, 歌手名読み, 歌手名英語, 歌手名読みコード, 歌手名英語コード, 作詞, 作曲, 歌い出し, JASRAC, 単価１, 単価２, ジャンルコード, ダウンロード済みフラグ, ファイル名, リンクサイン, データアドレス１, データアドレス２) VALUES ('010', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%sが　はじまる', '901-0001-0', 200, 100, '001', 0, '%s.KRD', 0, '1,%s', '2,%s');\r\n" \
    "$1" "$2" "$3" "$4" "$5" "$6" "$7" "$8" "$9" "${10}" "${11}" "$7" "$7" "$2" "$1" "${1#N}" "${1#N}"
}
newSong() {
  printf "INSERT INTO 変動テーブル VALUES ('010', '04', %s, '%s');\r\n" "$1" "$2"
}

# archive NUMBER: packs work/$KrDBUPD.SQL (UTF-8 here) as library data NUMBER.
archive() {
  iconv -f UTF-8 -t CP932 "$forum/work/sql.txt" >"$forum/work/\$KrDBUPD.SQL"
  (cd "$forum/work" && "$archiver" a "../lib3/$1.lzh" '$KrDBUPD.SQL' >/dev/null 2>&1)
  rm -f "$forum/work/\$KrDBUPD.SQL" "$forum/work/sql.txt"
  [ -f "$forum/lib3/$1.lzh" ] || { echo "demo-forum: $archiver did not make $1.lzh" >&2; exit 1; }
}

{
  song N000101 冬のデモ ﾌﾕﾉﾃﾞﾓ "FUYU NO DEMO" 05 51 木村ひろし ｷﾑﾗﾋﾛｼ "KIMURA HIROSHI" 01 53
  song N000102 港のあかり ﾐﾅﾄﾉｱｶﾘ "MINATO NO AKARI" 06 54 森川ゆき ﾓﾘｶﾜﾕｷ "MORIKAWA YUKI" 06 54
  newSong 101 N000101
  newSong 102 N000102
} >"$forum/work/sql.txt"
archive 12

{
  song N000201 銀河の夜 ｷﾞﾝｶﾞﾉﾖﾙ "GINGA NO YORU" 01 52 青木まこと ｱｵｷﾏｺﾄ "AOKI MAKOTO" 00 50
  song N000202 さくら坂 ｻｸﾗｻﾞｶ "SAKURAZAKA" 02 56 小野みどり ｵﾉﾐﾄﾞﾘ "ONO MIDORI" 00 54
  song N000203 夏まつり ﾅﾂﾏﾂﾘ "NATSUMATSURI" 04 54 田中一郎 ﾀﾅｶｲﾁﾛｳ "TANAKA ICHIRO" 03 56
  newSong 103 N000201
  newSong 104 N000202
  newSong 105 N000203
} >"$forum/work/sql.txt"
archive 13
rmdir "$forum/work"

cat >"$forum/room3/1.txt" <<'TXT'
From: KIROOPE
Date: 11/20 10:00
Title: P0050 E ＫＩＲＯ本体 Ver1.10

ＫＩＲＯ本体 Ver1.10
Ver 1.10
3,99
%KIRO%\

TXT
cat >"$forum/room3/2.txt" <<'TXT'
From: KIROOPE
Date: 12/01 10:00
Title: D0036 E 新曲追加（12月 第1弾）

新曲追加（12月 第1弾）
DB 0036
3,12
%KIRO%\

TXT
cat >"$forum/room3/3.txt" <<'TXT'
From: KIROOPE
Date: 12/08 10:00
Title: D0037 E 新曲追加（12月 第2弾）

新曲追加（12月 第2弾）
DB 0037
3,13
%KIRO%\

TXT
echo "$forum"
