-- KIRODB catalogue schema. Column types are written with the Jet type names
-- (TEXT, LONG, DATETIME) so that the declared kind of every column can be
-- read back from the engine and values set from text convert by it.

CREATE TABLE 商品マスタ (
  コースコード TEXT(3) NOT NULL,
  商品コード TEXT(20) NOT NULL,
  商品名 TEXT(100),
  商品名読み TEXT(100),
  商品名英語 TEXT(100),
  商品名読みコード TEXT(2),
  商品名英語コード TEXT(2),
  歌手名 TEXT(100),
  歌手名読み TEXT(100),
  歌手名英語 TEXT(100),
  歌手名読みコード TEXT(2),
  歌手名英語コード TEXT(2),
  作詞 TEXT(100),
  作曲 TEXT(100),
  歌い出し TEXT(255),
  JASRAC TEXT(20),
  単価１ LONG,
  単価２ LONG,
  ジャンルコード TEXT(3),
  ダウンロード済みフラグ LONG NOT NULL DEFAULT 0,
  ファイル名 TEXT(100),
  リンクサイン LONG NOT NULL DEFAULT 0,
  リンク先コース TEXT(3),
  リンク先商品 TEXT(20),
  -- Host data addresses are "menu,item" pairs; they are kept as text so
  -- that they read back exactly as the download jobs split them.
  データアドレス１ TEXT(20),
  データアドレス２ TEXT(20)
);
CREATE UNIQUE INDEX 商品マスタ_商品 ON 商品マスタ (コースコード, 商品コード);
CREATE INDEX 商品マスタ_商品名読み ON 商品マスタ (コースコード, 商品名読みコード, 商品名読み, 商品コード);
CREATE INDEX 商品マスタ_商品名英語 ON 商品マスタ (コースコード, 商品名英語コード, 商品名英語, 商品コード);
CREATE INDEX 商品マスタ_歌手名読み ON 商品マスタ (コースコード, 歌手名読みコード, 歌手名読み, 商品コード);
CREATE INDEX 商品マスタ_歌手名英語 ON 商品マスタ (コースコード, 歌手名英語コード, 歌手名英語, 商品コード);
CREATE INDEX 商品マスタ_リンク先 ON 商品マスタ (リンク先コース, リンク先商品);
CREATE INDEX 商品マスタ_ファイル名 ON 商品マスタ (ファイル名);
CREATE INDEX 商品マスタ_ダウンロード ON 商品マスタ (コースコード, ダウンロード済みフラグ);

CREATE TABLE 予約テーブル (
  指定日時 DATETIME,
  コースコード TEXT(3) NOT NULL,
  商品コード TEXT(20) NOT NULL,
  順位 LONG,
  予約フラグ LONG
);
CREATE INDEX 予約テーブル_商品 ON 予約テーブル (コースコード, 商品コード);
CREATE INDEX 予約テーブル_順位 ON 予約テーブル (コースコード, 順位);

CREATE TABLE 変動テーブル (
  コースコード TEXT(3) NOT NULL,
  グループコード TEXT(10) NOT NULL,
  順位 LONG,
  商品コード TEXT(20) NOT NULL
);
CREATE INDEX 変動テーブル_順位 ON 変動テーブル (コースコード, グループコード, 順位);
CREATE INDEX 変動テーブル_商品 ON 変動テーブル (コースコード, 商品コード);

CREATE TABLE 変動グループ名称テーブル (
  コースコード TEXT(3) NOT NULL,
  グループコード TEXT(10) NOT NULL,
  グループ名 TEXT(50),
  読みインデックスの有無 LONG NOT NULL DEFAULT 0
);
CREATE INDEX 変動グループ名称テーブル_グループ ON 変動グループ名称テーブル (コースコード, グループコード);

CREATE TABLE ジャンルマスタ (
  コースコード TEXT(3) NOT NULL,
  ジャンルコード TEXT(3) NOT NULL,
  ジャンル名 TEXT(50)
);
CREATE INDEX ジャンルマスタ_ジャンル ON ジャンルマスタ (コースコード, ジャンルコード);

CREATE TABLE アクセスポイントテーブル (
  アクセスポイント名 TEXT(50),
  市外局番 TEXT(10),
  電話番号 TEXT(20),
  読み TEXT(50),
  ロードタイプ LONG
);
CREATE INDEX アクセスポイントテーブル_読み ON アクセスポイントテーブル (読み, ロードタイプ);

CREATE TABLE ロードタイプマスタ (
  ロードタイプコード LONG NOT NULL,
  ロードタイプ名 TEXT(50),
  分類コード LONG
);
CREATE INDEX ロードタイプマスタ_コード ON ロードタイプマスタ (ロードタイプコード);

CREATE TABLE アクセスポイント分類テーブル (
  分類コード LONG NOT NULL
);
CREATE INDEX アクセスポイント分類テーブル_コード ON アクセスポイント分類テーブル (分類コード);

CREATE TABLE アップデートテーブル (
  アップデートコード TEXT(10) NOT NULL,
  アップデートタイプ TEXT(1) NOT NULL,
  モジュールコード TEXT(10) NOT NULL,
  発言番号 TEXT(10),
  リリース日付 DATETIME,
  非公開フラグ TEXT(1),
  バージョンアップ内容 TEXT(255),
  バージョン情報 TEXT(50),
  ダウンロード済みフラグ LONG NOT NULL DEFAULT 0,
  アップデートフラグ LONG NOT NULL DEFAULT 0
);
CREATE INDEX アップデートテーブル_キー ON アップデートテーブル (アップデートタイプ, アップデートコード, モジュールコード);

CREATE TABLE アップデートアドレステーブル (
  アップデートコード TEXT(10) NOT NULL,
  アップデートタイプ TEXT(1) NOT NULL,
  モジュールコード TEXT(10) NOT NULL,
  -- "room,number" of the host; sorted by the numbers, not by the text.
  データアドレス TEXT(20) COLLATE DATAADDR,
  ファイル名 TEXT(100),
  解凍先ディレクトリ TEXT(100)
);
CREATE INDEX アップデートアドレステーブル_キー ON アップデートアドレステーブル (アップデートコード, アップデートタイプ, モジュールコード);

CREATE TABLE メールテーブル (
  メールコード TEXT(20),
  送受信区分 LONG,
  既読フラグ LONG,
  ファイル名 TEXT(20)
);
CREATE INDEX メールテーブル_ファイル名 ON メールテーブル (送受信区分, ファイル名);
CREATE INDEX メールテーブル_メールコード ON メールテーブル (送受信区分, メールコード);

CREATE TABLE "メールテーブル（送信先リスト）" (
  メールコード TEXT(20),
  送信先ID TEXT(20)
);

CREATE TABLE アドレスブック (
  "NIFTY-ID" TEXT(20),
  アドレスタイプ LONG
);
