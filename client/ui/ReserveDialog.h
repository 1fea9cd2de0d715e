#pragma once

#include "client/catalogue/ReservationBook.h"
#include "client/catalogue/ReserveOffer.h"
#include "client/catalogue/SetContents.h"
#include "client/ui/CaptionlessDialog.h"

#include <QIcon>
#include <QList>

namespace kiro::app {
class Prompt;
}
class PictureButton;
class QGridLayout;

// The reservation dialog of one product, or of a set with its songs: the
// product's details and the buttons one-time, keeping and "キャンセル",
// captioned by its prices and download state.
class ReserveDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    ReserveDialog(int course, const kiro::catalogue::ProductDetails& product, bool needsDownload,
        kiro::app::Prompt& prompt, QWidget* parent = nullptr);
    ReserveDialog(int course, const kiro::catalogue::SetForReserve& set, bool needsDownload, const QList<QIcon>& icons,
        kiro::app::Prompt& prompt, QWidget* parent = nullptr);

    kiro::catalogue::ReserveResult choice() const { return m_choice; }

private:
    void addField(const char* label, const std::string& value);
    void finish(QWidget* extra);
    void press(bool oneTime);

    kiro::catalogue::ReserveOffer m_offer;
    kiro::app::Prompt& m_prompt;
    kiro::catalogue::ReserveResult m_choice = kiro::catalogue::ReserveResult::Cancelled;
    QGridLayout* m_fields;
};
