#include "client/catalogue/DownloadedList.h"

#include "client/app/Prompt.h"
#include "client/catalogue/FieldAccess.h"
#include "client/catalogue/ProductFiles.h"
#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"
#include "client/db/Variant.h"

namespace kiro::catalogue {

DownloadedList::DownloadedList(kiro::db::CatalogueDb& db, int course, std::filesystem::path installFolder,
    kiro::app::Prompt& prompt, std::function<bool(const SetDeletion&)> confirmSet)
    : m_db(db)
    , m_course(course)
    , m_installFolder(std::move(installFolder))
    , m_prompt(prompt)
    , m_confirmSet(std::move(confirmSet))
{
}

void DownloadedList::cycleLinkFilter()
{
    if (m_course != 50)
        return;
    m_linkFilter = (m_linkFilter + 1) % 3;
    fill();
}

void DownloadedList::fill()
{
    m_rows.clear();
    try {
        kiro::db::Recordset rs(m_db);
        rs.open(kiro::db::fillStatement(kiro::db::statements::kSelectDownloadedProducts,
            {m_course, kiro::db::statements::kLinkFilterTexts[static_cast<size_t>(m_linkFilter)]}));
        for (; !rs.isEOF(); rs.moveNext()) {
            DownloadedRow row;
            row.productCode = fieldText(rs, "商品コード");
            row.name = fieldText(rs, "商品名");
            row.singer = fieldText(rs, "歌手名");
            row.fileName = fieldText(rs, "ファイル名");
            row.linkSign = fieldInt(rs, "リンクサイン");
            row.linkProduct = fieldText(rs, "リンク先商品");
            int downloaded = fieldInt(rs, "ダウンロード済みフラグ");
            row.icon = m_course == 50 ? downloaded + 2 * row.linkSign + 1 : downloaded;
            m_rows.push_back(std::move(row));
        }
    } catch (const kiro::db::DbError&) {
        // An engine error leaves what was read so far.
    }
}

std::vector<DownloadedRow> DownloadedList::downloadedSetSongs(const std::string& setCode)
{
    std::vector<DownloadedRow> songs;
    try {
        kiro::db::Recordset rs(m_db);
        rs.open(kiro::db::fillStatement(kiro::db::statements::kSelectDownloadedSetSongs, {m_course, setCode}));
        for (; !rs.isEOF(); rs.moveNext()) {
            DownloadedRow row;
            row.name = fieldText(rs, "商品名");
            row.singer = fieldText(rs, "歌手名");
            row.icon = fieldInt(rs, "ダウンロード済みフラグ");
            songs.push_back(std::move(row));
        }
    } catch (const kiro::db::DbError&) {
    }
    return songs;
}

bool DownloadedList::deleteRow(int selected)
{
    // Only rows the list really holds count: a click below the last row
    // selects nothing.
    if (selected < 0 || selected >= static_cast<int>(m_rows.size())) {
        m_prompt.message("削除する行を選択してください。");
        return false;
    }
    const DownloadedRow row = m_rows[static_cast<size_t>(selected)];
    try {
        if (row.linkSign == 0) {
            if (m_prompt.question("ハードディスクから\nデータを完全に削除します。\nよろしいですか？", "はい", "いいえ")
                != kiro::app::PromptAnswer::First)
                return false;
            deleteOne(row.productCode, row.fileName);
        } else {
            std::string setCode = row.linkSign == 1 ? row.productCode : row.linkProduct;
            SetDeletion deletion {m_course, setCode, downloadedSetSongs(setCode)};
            if (!m_confirmSet || !m_confirmSet(deletion))
                return false;
            deleteSet(setCode);
        }
    } catch (const kiro::db::DbError&) {
        // Whatever was deleted stays deleted; the list shows the truth below.
    }
    m_prompt.message("削除しました。");
    fill();
    return true;
}

void DownloadedList::deleteOne(const std::string& productCode, const std::string& fileName)
{
    DeleteProductFiles(m_course, m_installFolder, productBaseName(fileName));
    m_db.execute(kiro::db::fillStatement(
        "UPDATE 商品マスタ SET 商品マスタ.ダウンロード済みフラグ = 0 WHERE ((商品マスタ.コースコード=\"%03d\") AND (商品マスタ.商品コード=\"%s\"));",
        {m_course, productCode}));
}

void DownloadedList::deleteSet(const std::string& setCode)
{
    {
        kiro::db::Recordset songs(m_db);
        songs.open(kiro::db::fillStatement(kiro::db::statements::kSelectDownloadedSetSongFiles, {m_course, setCode}));
        for (; !songs.isEOF(); songs.moveNext()) {
            DeleteProductFiles(m_course, m_installFolder, productBaseName(fieldText(songs, "ファイル名")));
            songs.edit();
            songs.setFieldValue("ダウンロード済みフラグ", "0");
            songs.update();
        }
    }
    kiro::db::Recordset own(m_db);
    own.open(kiro::db::fillStatement(kiro::db::statements::kSelectSetOwnRow, {m_course, setCode}));
    if (!own.isEOF()) {
        DeleteProductFiles(m_course, m_installFolder, productBaseName(fieldText(own, "ファイル名")));
        own.edit();
        own.setFieldValue("ダウンロード済みフラグ", "0");
        own.update();
    }
}

} // namespace kiro::catalogue
