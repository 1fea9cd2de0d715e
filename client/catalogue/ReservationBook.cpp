#include "client/catalogue/ReservationBook.h"

#include "client/app/Prompt.h"
#include "client/catalogue/CatalogueTables.h"
#include "client/catalogue/FieldAccess.h"
#include "client/catalogue/KaraokeBrowser.h"
#include "client/catalogue/SetContents.h"
#include "client/catalogue/SongFiles.h"
#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"
#include "client/db/Variant.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace kiro::catalogue {

namespace st = kiro::db::statements;
using kiro::app::PromptAnswer;
using kiro::db::DbError;
using kiro::db::fillStatement;
using kiro::db::Recordset;

namespace {


std::string nowText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%y/%m/%d %H:%M:%S", &local);
    return buffer;
}

} // namespace

void removeSetReservations(kiro::db::CatalogueDb& db, int course, const std::string& setCode)
{
    db.execute(fillStatement(st::kDeleteSetReservations, {course, setCode}));
    db.execute(fillStatement(st::kDeleteProductReservation, {course, setCode}));
}

ReservationBook::ReservationBook(kiro::db::CatalogueDb& db, int course, kiro::app::Prompt& prompt,
    std::filesystem::path installFolder)
    : m_db(db)
    , m_course(course)
    , m_prompt(prompt)
    , m_installFolder(std::move(installFolder))
    , m_reservations(db)
{
    m_reservations.open(fillStatement(st::kSelectReservations, {course}));
    while (!m_reservations.isEOF()) {
        m_reservations.deleteCurrent();
        m_reservations.moveNext();
    }
    requeryReservations();
}

void ReservationBook::requeryReservations() { m_reservations.requery(); }

bool ReservationBook::isReserved(const std::string& productCode)
{
    try {
        // Rows removed by statements since the last look must not count.
        requeryReservations();
        if (m_reservations.isEOF())
            return false;
        m_reservations.moveFirst();
        return m_reservations.findFirst(kiro::db::equalsCriterion("商品コード", productCode));
    } catch (const DbError&) {
        return false;
    }
}

bool ReservationBook::writeReservation(const std::string& productCode, ReserveResult result)
{
    try {
        m_reservations.addNew();
        m_reservations.setFieldValue("指定日時", nowText());
        m_reservations.setFieldValue("コースコード", courseText(m_course));
        m_reservations.setFieldValue("商品コード", productCode);
        m_reservations.setFieldValue("順位", std::to_string(m_nextRank));
        m_reservations.setFieldValue("予約フラグ", result == ReserveResult::Keeping ? "1" : "0");
        m_reservations.update();
    } catch (const DbError&) {
        try {
            m_reservations.cancelUpdate();
        } catch (const DbError&) {
        }
        return false;
    }
    ++m_nextRank;
    return true;
}

void ReservationBook::reserveSelected(KaraokeBrowser& browser, long row, ReserveChooser& chooser)
{
    if (m_playerRunning)
        return;
    if (row < 0) {
        m_prompt.message("予約する曲を選択してください。");
        return;
    }
    // The blank rows after the list have no record: nothing to reserve.
    if (!browser.moveSearchTo(row))
        return;
    Recordset& rs = browser.searchRecordset();
    int downloaded = 0;
    int linkSign = 0;
    std::string code;
    std::string linkTarget;
    ProductDetails product;
    try {
        downloaded = fieldInt(rs, "ダウンロード済みフラグ");
        code = fieldText(rs, "商品コード");
        linkSign = fieldInt(rs, "リンクサイン");
        linkTarget = fieldText(rs, "リンク先商品");
        product.code = code;
        product.name = shownText(fieldText(rs, "商品名"));
        product.singer = shownText(fieldText(rs, "歌手名"));
        product.lyricist = shownText(fieldText(rs, "作詞"));
        product.composer = shownText(fieldText(rs, "作曲"));
        product.firstWords = shownText(fieldText(rs, "歌い出し"));
        product.jasrac = shownText(fieldText(rs, "JASRAC"));
        product.price1 = fieldInt(rs, "単価１");
        product.price2 = fieldInt(rs, "単価２");
    } catch (const DbError&) {
        return;
    }
    if (isReserved(code)) {
        m_prompt.message("この曲は既に予約されています。");
        return;
    }
    const bool needsDownload = downloaded == 0;
    bool written = false;
    if (linkSign == 1 || (linkSign == 2 && needsDownload)) {
        // A set, or a song of a set not on the disk: the whole set.
        const std::string set = linkSign == 1 ? code : linkTarget;
        const ReserveResult result = chooser.chooseSet(m_course, set, needsDownload);
        if (result == ReserveResult::Cancelled)
            return;
        try {
            if (linkSign == 1) {
                // Songs of the set reserved one by one before give way to the set.
                removeSetReservations(m_db, m_course, set);
                requeryReservations();
            }
        } catch (const DbError&) {
            return;
        }
        written = writeReservation(set, result);
        if (written) {
            try {
                Recordset children(m_db);
                children.open(fillStatement(st::kSelectSetChildren, {m_course, set}), Recordset::kReadOnly);
                for (; !children.isEOF(); children.moveNext())
                    if (!writeReservation(fieldText(children, "商品コード"), result))
                        break;
            } catch (const DbError&) {
            }
        }
    } else {
        const ReserveResult result = chooser.chooseProduct(m_course, product, needsDownload);
        if (result == ReserveResult::Cancelled)
            return;
        written = writeReservation(code, result);
    }
    if (written) {
        if (needsDownload)
            ++m_toReceive;
        updatePlayButton();
    }
}

void ReservationBook::afterReservationList(int cancelledNotDownloaded, int cancelledOneTime, KaraokeBrowser& browser)
{
    m_toReceive = std::max(0, m_toReceive - cancelledNotDownloaded);
    m_oneTimeDownloaded = std::max(0, m_oneTimeDownloaded - cancelledOneTime);
    updatePlayButton();
    try {
        requeryReservations();
    } catch (const DbError&) {
    }
    if (cancelledOneTime > 0)
        browser.requery();
}

void ReservationBook::afterBulkReceive(int oneTimeDownloaded)
{
    m_toReceive = 0;
    m_oneTimeDownloaded += std::max(0, oneTimeDownloaded);
    updatePlayButton();
}

bool ReservationBook::closeScreen()
{
    if (m_playerRunning)
        return false;
    if (m_oneTimeDownloaded >= 1) {
        char question[256];
        std::snprintf(question, sizeof question,
            "歌いきり予約されている曲が\n%d曲残っています。\n自動的にキャンセルされますが、\nよろしいですか？",
            m_oneTimeDownloaded);
        if (m_prompt.question(question, "はい", "キャンセル") != PromptAnswer::First)
            return false;
        try {
            requeryReservations();
            for (; !m_reservations.isEOF(); m_reservations.moveNext()) {
                if (fieldInt(m_reservations, "ダウンロード済みフラグ") != 1 || fieldInt(m_reservations, "予約フラグ") != 0)
                    continue;
                deleteSongFiles(m_installFolder, fieldText(m_reservations, "ファイル名"));
                m_reservations.edit();
                m_reservations.setFieldValue("ダウンロード済みフラグ", "0");
                m_reservations.update();
            }
        } catch (const DbError&) {
            // The files that were deleted stay deleted; the screen closes.
        }
        m_oneTimeDownloaded = 0;
    }
    return true;
}

std::string ReservationBook::playButtonCaption() const
{
    if (m_toReceive > 0)
        return "一括受信";
    return m_course == 50 ? "演奏" : "カラオケ";
}

bool ReservationBook::updatePlayButton()
{
    const int state = m_toReceive > 0 ? 1 : 0;
    if (state == m_playState)
        return false;
    m_playState = state;
    return true;
}

} // namespace kiro::catalogue
