#include "client/catalogue/ReservationList.h"

#include "client/app/Prompt.h"
#include "client/catalogue/CatalogueTables.h"
#include "client/catalogue/FieldAccess.h"
#include "client/catalogue/ReservationBook.h"
#include "client/catalogue/SetContents.h"
#include "client/catalogue/SongFiles.h"
#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"
#include "client/db/Variant.h"

#include <cstdlib>

namespace kiro::catalogue {

namespace st = kiro::db::statements;
using kiro::app::PromptAnswer;
using kiro::db::DbError;
using kiro::db::fillStatement;

ReservationList::ReservationList(kiro::db::CatalogueDb& db, int course, kiro::app::Prompt& prompt,
    std::filesystem::path installFolder)
    : m_db(db)
    , m_course(course)
    , m_prompt(prompt)
    , m_installFolder(std::move(installFolder))
    , m_list(db)
{
}

const char* ReservationList::cycleLinkFilter()
{
    m_linkFilter = nextLinkFilter(m_linkFilter);
    return linkFilterCaption(m_linkFilter);
}

std::vector<std::string> ReservationList::headers() const
{
    if (m_course == 50)
        return {"曲名/曲集名", "作曲者/アーティスト"};
    return {"曲名", "アーティスト", "予約状況"};
}

std::vector<int> ReservationList::weights() const
{
    if (m_course == 50)
        return {5, 4};
    return {5, 4, 3};
}

const std::vector<ReservationListRow>& ReservationList::fill()
{
    m_rows.clear();
    m_list.open(fillStatement(st::kSelectReservationList,
        {m_course, st::kLinkFilterTexts[static_cast<size_t>(m_linkFilter)]}));
    for (; !m_list.isEOF(); m_list.moveNext()) {
        ReservationListRow row;
        row.name = shownText(fieldText(m_list, "商品名"));
        row.singer = shownText(fieldText(m_list, "歌手名"));
        if (m_course != 50)
            row.state = fieldInt(m_list, "予約フラグ") == 0 ? "これっきり予約" : "歌い込み予約";
        row.icon = rowIcon(m_course, fieldInt(m_list, "ダウンロード済みフラグ"), fieldInt(m_list, "リンクサイン"));
        m_rows.push_back(std::move(row));
    }
    return m_rows;
}

void ReservationList::cancel(int row, const ConfirmSet& confirmSet)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size())) {
        m_prompt.message("予約を取り消す曲を\n選んでください。");
        return;
    }
    try {
        m_list.setAbsolutePosition(row);
        const int linkSign = fieldInt(m_list, "リンクサイン");
        const int downloaded = fieldInt(m_list, "ダウンロード済みフラグ");
        const int flag = fieldInt(m_list, "予約フラグ");
        const std::string code = fieldText(m_list, "商品コード");
        if (linkSign == 2 && downloaded == 0) {
            m_prompt.message("この商品はセット商品です。\nセット商品の一部の\n取り消しはできません。\n"
                             "曲集を選択して\n取り消してください。");
            return;
        }
        if (linkSign == 1 && !(confirmSet && confirmSet(code)))
            return;
        if (downloaded == 1 && flag == 0) {
            if (m_prompt.question("これっきり予約の曲を\n取り消すと削除されますが、\nよろしいですか？", "はい",
                    "キャンセル")
                != PromptAnswer::First)
                return;
            deleteSongFiles(m_installFolder, fieldText(m_list, "ファイル名"));
            m_list.edit();
            m_list.setFieldValue("ダウンロード済みフラグ", "0");
            m_list.update();
        }
        if (linkSign != 1) {
            const std::string parent = fieldText(m_list, "リンク先商品");
            m_list.deleteCurrent();
            if (linkSign == 2)
                m_db.execute(fillStatement(st::kDeleteProductReservation, {m_course, parent}));
        } else {
            removeSetReservations(m_db, m_course, code);
        }
        m_prompt.message("予約を取り消しました。");
        if (downloaded == 0)
            ++m_cancelledNotDownloaded;
        if (flag == 0)
            ++m_cancelledOneTime;
    } catch (const DbError& e) {
        m_prompt.message(std::string("予約を取り消せませんでした。\n") + e.what());
    }
    try {
        fill();
    } catch (const DbError&) {
        m_rows.clear();
    }
}

} // namespace kiro::catalogue
