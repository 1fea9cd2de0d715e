#pragma once

// Every SQL text the client sends to the catalogue, in the Jet dialect and
// exactly as the client writes it. The "%..." conversions are filled with
// fillStatement (StatementFormat.h), which keeps quotes in the filled text
// from breaking out of the statement's own literals.

#include <array>
#include <string>
#include <string_view>

namespace kiro::db::statements {

// Received, read mails, newest file name first (next ReadMailNo).
inline constexpr char kSelectReadMailNumbers[] =
    "SELECT メールテーブル.送受信区分, メールテーブル.既読フラグ, メールテーブル.ファイル名 FROM メールテーブル WHERE (((メールテーブル.送受信区分)=1) AND ((メールテーブル.既読フラグ)>=1)) ORDER BY メールテーブル.ファイル名 DESC;";

// Sent mails, newest mail code first (next WriteMailNo).
inline constexpr char kSelectWriteMailNumbers[] =
    "SELECT メールテーブル.メールコード, メールテーブル.送受信区分 FROM メールテーブル WHERE (((メールテーブル.送受信区分)=0)) ORDER BY メールテーブル.メールコード DESC;";

// Access points with their road type names, by reading.
inline constexpr char kSelectAccessPoints[] =
    "SELECT アクセスポイントテーブル.アクセスポイント名, ロードタイプマスタ.ロードタイプ名, アクセスポイントテーブル.市外局番, アクセスポイントテーブル.電話番号, アクセスポイントテーブル.読み, アクセスポイントテーブル.ロードタイプ FROM アクセスポイント分類テーブル INNER JOIN (ロードタイプマスタ INNER JOIN アクセスポイントテーブル ON ロードタイプマスタ.ロードタイプコード = アクセスポイントテーブル.ロードタイプ) ON アクセスポイント分類テーブル.分類コード = ロードタイプマスタ.分類コード ORDER BY アクセスポイントテーブル.読み, アクセスポイントテーブル.ロードタイプ;";

// Updates received but not yet applied.
inline constexpr char kSelectPendingUpdates[] =
    "SELECT アップデートテーブル.アップデートコード, アップデートテーブル.アップデートタイプ, アップデートテーブル.モジュールコード, アップデートテーブル.ダウンロード済みフラグ, アップデートテーブル.アップデートフラグ FROM アップデートテーブル WHERE (((アップデートテーブル.ダウンロード済みフラグ)=1) AND ((アップデートテーブル.アップデートフラグ)=0)) ORDER BY  アップデートテーブル.アップデートタイプ,  アップデートテーブル.アップデートコード,  アップデートテーブル.モジュールコード;";

// Files of one update, in data-address order. Arguments: update code %s, type %c, module %s.
inline constexpr char kSelectUpdateFilesToApply[] =
    "SELECT アップデートアドレステーブル.アップデートコード, アップデートアドレステーブル.アップデートタイプ, アップデートアドレステーブル.モジュールコード, アップデートアドレステーブル.ファイル名, アップデートアドレステーブル.解凍先ディレクトリ FROM アップデートアドレステーブル WHERE  (((アップデートアドレステーブル.アップデートコード)=\"%s\")   AND ((アップデートアドレステーブル.アップデートタイプ)=\"%c\")   AND ((アップデートアドレステーブル.モジュールコード)=\"%s\")) ORDER BY アップデートアドレステーブル.データアドレス;";

// Changing groups of a course for the group list dialog. Arguments: course %03d.
inline constexpr char kSelectGroupList[] =
    "SELECT DISTINCTROW 変動グループ名称テーブル.コースコード, 変動グループ名称テーブル.グループコード, 変動グループ名称テーブル.グループ名 FROM 変動グループ名称テーブル WHERE (変動グループ名称テーブル.コースコード=\"%03d\") ORDER BY 変動グループ名称テーブル.グループコード;";

// Songs of a set product. Arguments: course %03d, set product %s.
inline constexpr char kSelectSetContents[] =
    "SELECT 商品マスタ.コースコード, 商品マスタ.商品コード, 商品マスタ.商品名, 商品マスタ.歌手名, 商品マスタ.ダウンロード済みフラグ, 商品マスタ.リンクサイン, 商品マスタ.リンク先コース, 商品マスタ.リンク先商品 FROM 商品マスタ WHERE (     ((商品マスタ.リンクサイン)=2) AND ((商品マスタ.リンク先コース)=\"%03d\") AND ((商品マスタ.リンク先商品)=\"%s\") ) ORDER BY 商品マスタ.商品名読み, 商品マスタ.商品コード;";

// Reservations of a course joined with their products; new reservations are added through it. Arguments: course %03d.
inline constexpr char kSelectReservations[] =
    "SELECT 予約テーブル.指定日時, 予約テーブル.コースコード, 予約テーブル.商品コード, 予約テーブル.順位, 予約テーブル.予約フラグ, 商品マスタ.ファイル名, 商品マスタ.データアドレス１, 商品マスタ.データアドレス２, 商品マスタ.ダウンロード済みフラグ, 商品マスタ.リンクサイン FROM 商品マスタ INNER JOIN 予約テーブル ON (商品マスタ.商品コード = 予約テーブル.商品コード) AND (商品マスタ.コースコード = 予約テーブル.コースコード) WHERE (((予約テーブル.コースコード)=\"%03d\")) ORDER BY 予約テーブル.順位;";

// The set product shown by the set reservation dialog. Arguments: course %03d, product %s.
inline constexpr char kSelectSetProduct[] =
    "SELECT 商品マスタ.コースコード, 商品マスタ.商品コード, 商品マスタ.商品名, 商品マスタ.歌い出し, 商品マスタ.作曲, 商品マスタ.JASRAC, 商品マスタ.単価１, 商品マスタ.単価２ FROM 商品マスタ WHERE (((商品マスタ.コースコード)=\"%03d\") AND ((商品マスタ.商品コード)=\"%s\")) ORDER BY 商品マスタ.商品名読み, 商品マスタ.商品コード;";

// Songs of a set, with their first words, for the set reservation dialog. Arguments: course %03d, set product %s.
inline constexpr char kSelectSetSongsForReserve[] =
    "SELECT 商品マスタ.コースコード, 商品マスタ.商品コード, 商品マスタ.商品名, 商品マスタ.歌手名, 商品マスタ.歌い出し, 商品マスタ.ダウンロード済みフラグ, 商品マスタ.リンクサイン, 商品マスタ.リンク先コース, 商品マスタ.リンク先商品 FROM 商品マスタ WHERE (     ((商品マスタ.リンクサイン)=2) AND ((商品マスタ.リンク先コース)=\"%03d\") AND ((商品マスタ.リンク先商品)=\"%s\") ) ORDER BY 商品マスタ.商品名読み, 商品マスタ.商品コード;";

// Removes the reservations of the songs of a set. Arguments: course %03d, set product %s.
inline constexpr char kDeleteSetReservations[] =
    "DELETE 予約テーブル.* FROM 商品マスタ INNER JOIN 予約テーブル ON (商品マスタ.商品コード = 予約テーブル.商品コード) AND (商品マスタ.コースコード = 予約テーブル.コースコード) WHERE (     ((商品マスタ.リンク先コース)=\"%03d\") AND ((商品マスタ.リンク先商品)=\"%s\") );";

// Removes the reservation of one product. Arguments: course %03d, product %s.
inline constexpr char kDeleteProductReservation[] =
    "DELETE 予約テーブル.* FROM 予約テーブル WHERE (     ((予約テーブル.コースコード)=\"%03d\") AND ((予約テーブル.商品コード)=\"%s\") );";

// Songs of a set, reserved one by one after the set. Arguments: course %03d, set product %s.
inline constexpr char kSelectSetChildren[] =
    "SELECT 商品マスタ.コースコード, 商品マスタ.商品コード, 商品マスタ.リンクサイン, 商品マスタ.リンク先コース, 商品マスタ.リンク先商品 FROM 商品マスタ WHERE (     ((商品マスタ.リンクサイン)=2) AND ((商品マスタ.リンク先コース)=\"%03d\") AND ((商品マスタ.リンク先商品)=\"%s\") ) ORDER BY 商品マスタ.商品名読み, 商品マスタ.商品コード;";

// Reservation list of a course. Arguments: course %03d, link filter text %s (kLinkFilterTexts).
inline constexpr char kSelectReservationList[] =
    "SELECT 予約テーブル.指定日時, 予約テーブル.コースコード, 予約テーブル.商品コード, 予約テーブル.順位, 予約テーブル.予約フラグ, 商品マスタ.商品名, 商品マスタ.歌手名, 商品マスタ.ファイル名, 商品マスタ.ダウンロード済みフラグ, 商品マスタ.リンクサイン, 商品マスタ.リンク先商品 FROM 商品マスタ INNER JOIN 予約テーブル ON ( 商品マスタ.商品コード = 予約テーブル.商品コード) AND ( 商品マスタ.コースコード = 予約テーブル.コースコード) WHERE ( ( 予約テーブル.コースコード = \"%03d\") %s ) ORDER BY 予約テーブル.順位;";

// Downloaded products of a course. Arguments: course %03d, link filter text %s (kLinkFilterTexts).
inline constexpr char kSelectDownloadedProducts[] =
    "SELECT 商品マスタ.コースコード, 商品マスタ.商品コード, 商品マスタ.商品名, 商品マスタ.商品名読み, 商品マスタ.歌手名, 商品マスタ.ファイル名, 商品マスタ.ダウンロード済みフラグ, 商品マスタ.リンクサイン, 商品マスタ.リンク先コース, 商品マスタ.リンク先商品 FROM 商品マスタ WHERE (     ((商品マスタ.コースコード)= \"%03d\") AND ((商品マスタ.ダウンロード済みフラグ)=1) %s ) ORDER BY 商品マスタ.商品名読み, 商品マスタ.商品コード;";

// Downloaded songs of a set, listed before deleting. Arguments: course %03d, set product %s.
inline constexpr char kSelectDownloadedSetSongs[] =
    "SELECT 商品マスタ.コースコード, 商品マスタ.商品名, 商品マスタ.歌手名, 商品マスタ.ダウンロード済みフラグ, 商品マスタ.リンクサイン, 商品マスタ.リンク先コース, 商品マスタ.リンク先商品 FROM 商品マスタ WHERE (     ((商品マスタ.ダウンロード済みフラグ)=1) AND ((商品マスタ.リンクサイン)=2) AND ((商品マスタ.リンク先コース)=\"%03d\") AND ((商品マスタ.リンク先商品)=\"%s\") ) ORDER BY 商品マスタ.商品名読み, 商品マスタ.商品コード;";

// Downloaded songs of a set whose files are deleted. Arguments: course %03d, set product %s.
inline constexpr char kSelectDownloadedSetSongFiles[] =
    "SELECT 商品マスタ.コースコード, 商品マスタ.ダウンロード済みフラグ, 商品マスタ.ファイル名, 商品マスタ.リンクサイン, 商品マスタ.リンク先コース, 商品マスタ.リンク先商品 FROM 商品マスタ WHERE (     ((商品マスタ.ダウンロード済みフラグ)=1) AND ((商品マスタ.リンクサイン)=2) AND ((商品マスタ.リンク先コース)=\"%03d\") AND ((商品マスタ.リンク先商品)=\"%s\") ) ORDER BY 商品マスタ.商品名読み, 商品マスタ.商品コード;";

// The set product's own row, to delete its files. Arguments: course %03d, set product %s.
inline constexpr char kSelectSetOwnRow[] =
    "SELECT 商品マスタ.ダウンロード済みフラグ, 商品マスタ.ファイル名 FROM 商品マスタ WHERE (     ((商品マスタ.コースコード)=\"%03d\") AND ((商品マスタ.商品コード)=\"%s\") );";

// Updates not yet received (their records are dropped before a new list).
inline constexpr char kSelectUnreceivedUpdates[] =
    "SELECT アップデートテーブル.アップデートコード, アップデートテーブル.アップデートタイプ, アップデートテーブル.モジュールコード, アップデートテーブル.ダウンロード済みフラグ FROM アップデートテーブル WHERE (((アップデートテーブル.ダウンロード済みフラグ)=0));";

// Removes the file rows of one update. Arguments: update code %s, type %s, module %s.
inline constexpr char kDeleteUpdateAddresses[] =
    "DELETE アップデートアドレステーブル.アップデートコード, アップデートアドレステーブル.アップデートタイプ, アップデートアドレステーブル.モジュールコード FROM アップデートアドレステーブル WHERE (((アップデートアドレステーブル.アップデートコード)=\"%s\") AND ((アップデートアドレステーブル.アップデートタイプ)=\"%s\") AND ((アップデートアドレステーブル.モジュールコード)=\"%s\"));";

// Every update row (the new list is added through it).
inline constexpr char kSelectAllUpdates[] =
    "SELECT アップデートテーブル.アップデートコード, アップデートテーブル.アップデートタイプ, アップデートテーブル.モジュールコード, アップデートテーブル.発言番号, アップデートテーブル.リリース日付, アップデートテーブル.非公開フラグ, アップデートテーブル.バージョンアップ内容, アップデートテーブル.バージョン情報, アップデートテーブル.ダウンロード済みフラグ, アップデートテーブル.アップデートフラグ FROM アップデートテーブル;";

// Every update file row (the new list is added through it).
inline constexpr char kSelectAllUpdateAddresses[] =
    "SELECT アップデートアドレステーブル.アップデートコード, アップデートアドレステーブル.アップデートタイプ, アップデートアドレステーブル.モジュールコード, アップデートアドレステーブル.データアドレス, アップデートアドレステーブル.ファイル名, アップデートアドレステーブル.解凍先ディレクトリ FROM アップデートアドレステーブル;";

// Updates not yet received, in key order.
inline constexpr char kSelectUpdatesToReceive[] =
    "SELECT アップデートテーブル.アップデートコード, アップデートテーブル.アップデートタイプ, アップデートテーブル.モジュールコード, アップデートテーブル.ダウンロード済みフラグ FROM アップデートテーブル WHERE (((アップデートテーブル.ダウンロード済みフラグ)=0)) ORDER BY  アップデートテーブル.アップデートタイプ,  アップデートテーブル.アップデートコード,  アップデートテーブル.モジュールコード;";

// Files of one update with their data addresses. Arguments: update code %s, type %c, module %s.
inline constexpr char kSelectUpdateFilesToReceive[] =
    "SELECT アップデートアドレステーブル.アップデートコード, アップデートアドレステーブル.アップデートタイプ, アップデートアドレステーブル.モジュールコード, アップデートアドレステーブル.データアドレス, アップデートアドレステーブル.ファイル名 FROM アップデートアドレステーブル WHERE  (((アップデートアドレステーブル.アップデートコード)=\"%s\")   AND ((アップデートアドレステーブル.アップデートタイプ)=\"%c\")   AND ((アップデートアドレステーブル.モジュールコード)=\"%s\")) ORDER BY アップデートアドレステーブル.データアドレス;";

// Updates listed to the user, newest release first.
inline constexpr char kSelectUpdateList[] =
    "SELECT アップデートテーブル.アップデートコード, アップデートテーブル.アップデートタイプ, アップデートテーブル.モジュールコード, アップデートテーブル.リリース日付, アップデートテーブル.非公開フラグ, アップデートテーブル.バージョンアップ内容, アップデートテーブル.バージョン情報, アップデートテーブル.ダウンロード済みフラグ, アップデートテーブル.アップデートフラグ FROM アップデートテーブル WHERE (((アップデートテーブル.非公開フラグ)=\"E\")) ORDER BY アップデートテーブル.リリース日付 DESC , アップデートテーブル.アップデートコード DESC , アップデートテーブル.アップデートタイプ, アップデートテーブル.モジュールコード;";

// Consistency check: mark every product as not on disk.
inline constexpr char kResetDownloadedFlags[] =
    "UPDATE 商品マスタ SET 商品マスタ.ダウンロード済みフラグ = 0";

// Consistency check: mark the product whose file is on disk. Arguments: file name %s.
inline constexpr char kMarkDownloadedByFile[] =
    "UPDATE 商品マスタ SET 商品マスタ.ダウンロード済みフラグ = 1  WHERE ( ( [ファイル名] = '%s' ) );";

// Consistency check: sets that have a downloaded song.
inline constexpr char kSelectDownloadedLinkTargets[] =
    "SELECT DISTINCT 商品マスタ.リンク先商品 FROM 商品マスタ WHERE (     ((商品マスタ.ダウンロード済みフラグ)=1) AND ((商品マスタ.コースコード)=\"050\") AND ((商品マスタ.リンクサイン)=2) );";

// Consistency check: mark such a set as downloaded. Arguments: set product %s.
inline constexpr char kMarkLinkTargetDownloaded[] =
    "UPDATE 商品マスタ SET 商品マスタ.ダウンロード済みフラグ = 1 WHERE (     ((商品マスタ.コースコード)=\"050\") AND ((商品マスタ.商品コード)=\"%s\") );";

// Link filter of the reservation and downloaded lists, by filter value
// (0 all, 1 sets only, 2 songs only): the text for their "%s".
inline constexpr std::array<const char*, 3> kLinkFilterTexts = {
    "",
    "AND ( 商品マスタ.リンクサイン = 1)",
    "AND ( ( 商品マスタ.リンクサイン = 0) OR ( 商品マスタ.リンクサイン = 2) )",
};

// Group combo box of the karaoke screen: group names of a course.
std::string groupComboStatement(int course);
// Genre combo box of the karaoke screen: genres of a course.
std::string genreComboStatement(int course);

// Product query of the karaoke screen for its current state.
struct CatalogueQuery {
    int course = 10;
    int groupMode = 1;          // 0: the group's own ranked list; 1: reading index
    std::string groupCode;      // group mode 0: グループコード of the selected group
    std::string tabCode = "00"; // group mode 1: index code of the tab ("00" あ ... "99" 他)
    int indexKind = 0;          // 0 Japanese reading, 1 English spelling (kind of the tab)
    int indexType = 0;          // 0 by title, 1 by singer
    int genreIndex = 0;         // 0: no genre condition
    int genreCode = 0;
    int linkFilter = 0;         // course 50 only
};
std::string catalogueQueryStatement(const CatalogueQuery& query);

// The three columns of an index: X0 reading (searched and sorted first),
// X1 index code, X2 secondary sort column.
struct CatalogueColumnSet {
    const char* reading;
    const char* indexCode;
    const char* secondary;
};
CatalogueColumnSet catalogueColumns(int indexKind, int indexType);

} // namespace kiro::db::statements
