#pragma once

#include "client/setup/PictureSettingsForm.h"
#include "client/setup/SetupServices.h"
#include "client/ui/CaptionlessDialog.h"

class Cp932LineEdit;
class QRadioButton;

// Template 597: for the program's pictures and videos and the user's own,
// the default folder or a folder of one's own (whose edit only then opens).
class PictureSettingsDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    PictureSettingsDialog(kiro::setup::SetupServices& services, QWidget* parent = nullptr);

    Cp932LineEdit* folderEdit(int row) const { return m_edit[row]; }
    QRadioButton* defaultRadio(int row) const { return m_default[row]; }
    QRadioButton* ownRadio(int row) const { return m_own[row]; }

    // "設定".
    void confirm();

private:
    void showRow(int row);

    kiro::setup::SetupServices& m_services;
    kiro::setup::PictureSettingsForm m_form;
    QRadioButton* m_default[4];
    QRadioButton* m_own[4];
    Cp932LineEdit* m_edit[4];
};
