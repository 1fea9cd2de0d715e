#include "client/catalogue/ReceiveButton.h"

#include "client/app/Prompt.h"
#include "client/catalogue/BulkReceive.h"
#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"

namespace kiro::catalogue {

ReceiveButtonResult PlayButtonReceive(BulkReceive &job, app::Prompt &prompt, db::CatalogueDb &db, int course)
{
    ReceiveButtonResult result;
    const BulkReceiveOutcome outcome = job.bulkReceive(course);
    result.downloaded = outcome.downloaded;
    result.cancelled = outcome.cancelled;
    result.oneTimeDownloaded = outcome.oneTimeDownloaded;
    if (outcome.error) {
        result.error = true;
        return result;
    }
    if (outcome.downloaded >= 1)
        prompt.message("お買い上げ誠に\nありがとうございました。");
    if (outcome.cancelled >= 1)
        prompt.message("予約された曲の中に\n準備中の曲がありました。\n課金しないで\nキャンセルしました。");
    if (outcome.downloaded >= 1 && course == 50 &&
        prompt.question("引き続き演奏しますか？\nキャンセルすると、\n全ての演奏の予約が\n取り消されます。", "はい",
                        "キャンセル") == app::PromptAnswer::Second) {
        try {
            db::Recordset rows(db);
            rows.open(db::fillStatement(db::statements::kSelectReservations, {course}));
            while (!rows.isEOF()) {
                rows.deleteCurrent();
                rows.moveNext();
            }
            result.reservationsCleared = true;
        } catch (const db::DbError &e) {
            prompt.message(e.what());
        }
    }
    return result;
}

} // namespace kiro::catalogue
