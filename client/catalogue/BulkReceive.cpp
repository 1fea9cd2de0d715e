#include "client/catalogue/BulkReceive.h"

#include "archive/LzhExtract.h"
#include "client/catalogue/ProductFiles.h"
#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"
#include "client/online/HostSession.h"
#include "client/services/UserInfoMail.h"
#include "common/FileNames.h"

#include <system_error>

namespace kiro::catalogue {

namespace {

constexpr int kTimeOutTicks = 30;
constexpr const char *kHeaderName = "HEADER.BIN";

void removeIgnoringCase(const std::filesystem::path &folder, const std::string &name)
{
    std::error_code ec;
    while (auto found = filenames::findInFolder(folder, name))
        if (!std::filesystem::remove(*found, ec))
            break;
}

std::filesystem::path folderUnder(const std::filesystem::path &install, const char *name)
{
    return filenames::resolveUnder(install, name).value_or(install / name);
}

} // namespace

BulkReceive::BulkReceive(db::CatalogueDb &db, online::HostSession &session, app::ClientSettings &settings,
                         std::filesystem::path installFolder, std::string year2)
    : m_db(db), m_session(session), m_settings(settings), m_install(std::move(installFolder)),
      m_mail(folderUnder(m_install, "MAIL")), m_karaoke(folderUnder(m_install, "karaoke")), m_year2(std::move(year2))
{
}

void BulkReceive::report(const std::string &text)
{
    if (m_status)
        m_status(text);
}

BulkReceive::Fetch BulkReceive::fetch(const std::string &downloadName, const std::string &address)
{
    const auto parsed = parseDataAddress(address);
    if (!parsed) {
        report("データアドレスが不正です（" + address + "）。");
        return Fetch::Damaged;
    }
    if (!m_scripts.setFileName(downloadName)) {
        report("ファイル名が不正です（" + downloadName + "）。");
        return Fetch::Damaged;
    }
    m_scripts.setAddress(*parsed);
    if (m_session.Run(false, m_scripts.KaraokeSelectScript(), kTimeOutTicks, false) != 0)
        return Fetch::Failed;
    if (m_session.LastOutcome() > KaraokeScripts::kItemReadyOutcome)
        return Fetch::NotReady;
    if (m_session.Run(false, m_scripts.KaraokeDownloadScript(), kTimeOutTicks, false) != 0)
        return Fetch::Failed;
    return Fetch::Done;
}

bool BulkReceive::extract(const std::string &downloadName)
{
    const auto archive = filenames::findInFolder(m_mail, downloadName);
    if (!archive || LzhExtractAll(*archive, m_karaoke) != 0) {
        report("受信したファイルを展開できません（" + downloadName + "）。");
        return false;
    }
    std::error_code ec;
    std::filesystem::remove(*archive, ec);
    return true;
}

BulkReceiveOutcome BulkReceive::bulkReceive(int course)
{
    BulkReceiveOutcome out;
    if (m_session.ShowProgress(true)) {
        out.error = true;
        return out;
    }
    std::error_code ec;
    std::filesystem::create_directories(m_mail, ec);
    std::filesystem::create_directories(m_karaoke, ec);
    bool failed = !m_scripts.setFolder(m_mail);
    if (failed)
        report("メールフォルダのパスが長すぎます（" + m_mail.string() + "）。");

    try {
        db::Recordset rows(m_db);
        rows.open(db::fillStatement(db::statements::kSelectReservations, {course}));
        // The verdict on the last set (or product) walked, for the songs of
        // that set that follow it in rank order.
        enum class SetState { Ready, NotReady, Unknown } setState = SetState::Ready;
        while (!failed && !rows.isEOF()) {
            const bool downloaded = rows.fieldValue("ダウンロード済みフラグ").integer == 1;
            const bool keeping = db::FieldToText(rows.fieldValue("予約フラグ")) == "1";
            const auto link = rows.fieldValue("リンクサイン").integer;
            if (downloaded) {
                if (link != 2)
                    setState = SetState::Ready;
            } else if (link != 2) {
                Fetch fetched = Fetch::Done;
                if (keeping) {
                    // The header only travels with the product; it is never kept.
                    removeIgnoringCase(m_mail, kHeaderName);
                    fetched = fetch(kHeaderName, db::FieldToText(rows.fieldValue("データアドレス２")));
                    removeIgnoringCase(m_mail, kHeaderName);
                    if (fetched == Fetch::NotReady)
                        fetched = Fetch::Done;
                }
                const std::string name = productBaseName(db::FieldToText(rows.fieldValue("ファイル名")));
                if (fetched == Fetch::Done) {
                    if (name.empty()) {
                        report("ファイル名が不正です（" + db::FieldToText(rows.fieldValue("ファイル名")) + "）。");
                        fetched = Fetch::Damaged;
                    } else {
                        fetched = fetch(name, db::FieldToText(rows.fieldValue("データアドレス１")));
                    }
                }
                switch (fetched) {
                case Fetch::NotReady:
                    setState = SetState::NotReady;
                    rows.deleteCurrent();
                    ++out.cancelled;
                    break;
                case Fetch::Done:
                    if (!extract(name)) {
                        failed = true;
                        break;
                    }
                    setState = SetState::Ready;
                    rows.edit();
                    rows.setFieldValue("ダウンロード済みフラグ", "1");
                    rows.update();
                    ++out.downloaded;
                    if (!keeping)
                        ++out.oneTimeDownloaded;
                    break;
                case Fetch::Failed:
                    failed = true;
                    break;
                case Fetch::Damaged:
                    // The product stays reserved; the others are still worth fetching.
                    setState = SetState::Unknown;
                    out.error = true;
                    break;
                }
            } else if (setState == SetState::NotReady) {
                rows.deleteCurrent();
            } else if (setState == SetState::Ready) {
                // The set's archive brought the song's files.
                rows.edit();
                rows.setFieldValue("ダウンロード済みフラグ", "1");
                rows.update();
            }
            rows.moveNext();
        }
    } catch (const db::DbError &e) {
        report(e.what());
        failed = true;
    }
    out.error = out.error || failed;

    // After a failed run the engine has hung up; the mail waits for the
    // next receive rather than dialling again for it alone.
    if (!failed && m_settings.MailToUserInfo == 0) {
        if (services::SendUserInfoMail(m_session, m_settings, m_install, m_year2) == 1)
            m_settings.MailToUserInfo = 1;
        if (m_save)
            m_save();
    }
    if (m_session.IsOnline())
        m_session.Run(true, nullptr, kTimeOutTicks, false);
    m_session.HideProgress();
    if (out.downloaded > 0 && m_refresh)
        m_refresh();
    return out;
}

} // namespace kiro::catalogue
