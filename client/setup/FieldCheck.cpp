#include "client/setup/FieldCheck.h"

#include "client/app/Prompt.h"
#include "common/Cp932.h"

#include <QString>

namespace kiro::setup {

FieldCheckResult CheckFields(std::span<const FieldCheckRow> table,
                             const std::function<std::string(int control)>& textOf,
                             app::Prompt& prompt)
{
    for (const FieldCheckRow& row : table) {
        const std::string text = textOf(row.control);
        const std::string stored = cp932::fromUtf8(text);
        QString message;
        if ((row.flags & FieldCheckRow::Required) && text.empty()) {
            message = QStringLiteral("%1が\n未入力です。\n正しく入力してください。").arg(QString::fromUtf8(row.label));
        } else if ((row.flags & FieldCheckRow::HalfWidthOnly) && cp932::holdsDoubleByte(stored)) {
            message = QStringLiteral("%1には、\n全角文字は入力できません。\n\n半角文字に直してください。")
                          .arg(QString::fromUtf8(row.label));
        } else if ((row.flags & FieldCheckRow::MinimumLength) && stored.size() < static_cast<std::size_t>(row.length)) {
            message = QStringLiteral("%1は、\n%2桁の文字列です。\n\n確認して、\n入力しなおしてください。")
                          .arg(QString::fromUtf8(row.label))
                          .arg(row.length);
        } else {
            continue;
        }
        prompt.message(message.toStdString());
        return {false, row.control};
    }
    return {};
}

} // namespace kiro::setup
