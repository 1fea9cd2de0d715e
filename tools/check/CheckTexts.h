#pragma once

// The fixed texts and statements of the check utility.
namespace kiro::check {

inline constexpr char kCaption[] = "Check";
inline constexpr char kIntroText[] =
    "KIROのデータベースの再構築を行ないます。\nメンテナンスビルから\n「★新情報・バージョンアップ情報を取りに行く」\nを行なってから実行して下さい。";
inline constexpr char kWorkingText[] = "処理中です。\nしばらくお待ちください。";
inline constexpr char kDoneText[] = "再構築が終了しました。\n「終了」を押してください。";
inline constexpr char kOpenFailed[] = "データベースが見つからないか、\nオープンに失敗しました。";
inline constexpr char kNoSongs[] = "ダウンロード済みの曲が見つかりませんでした。";
inline constexpr char kRunButton[] = "実行";
inline constexpr char kEndButton[] = "終了";
inline constexpr char kCancelButton[] = "キャンセル";

inline constexpr char kDatabaseName[] = "Kirodb.mdb";
inline constexpr char kDatabaseFolder[] = "SysFile";
inline constexpr char kKaraokeFolder[] = "karaoke";
inline constexpr char kCdexFolder[] = "CDEx";

inline constexpr char kResetFlags[] = "UPDATE 商品マスタ SET 商品マスタ.ダウンロード済みフラグ = 0";
inline constexpr char kMarkByFile[] =
    "UPDATE 商品マスタ SET 商品マスタ.ダウンロード済みフラグ = 1  WHERE ( ( [ファイル名] = '%s' ) );";
inline constexpr char kSelectLinkTargets[] =
    "SELECT DISTINCT 商品マスタ.リンク先商品 FROM 商品マスタ WHERE (     ((商品マスタ.ダウンロード済みフラグ)=1) AND ((商品マスタ.コースコード)=\"050\") AND ((商品マスタ.リンクサイン)=2) );";
inline constexpr char kMarkLinkTarget[] =
    "UPDATE 商品マスタ SET 商品マスタ.ダウンロード済みフラグ = 1 WHERE (     ((商品マスタ.コースコード)=\"050\") AND ((商品マスタ.商品コード)=\"%s\") );";

} // namespace kiro::check
