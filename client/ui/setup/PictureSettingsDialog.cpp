#include "client/ui/setup/PictureSettingsDialog.h"

#include "client/ui/PictureButton.h"
#include "client/ui/setup/Cp932LineEdit.h"
#include "client/ui/setup/SetupWidgets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

using kiro::setup::PictureSettingsForm;

PictureSettingsDialog::PictureSettingsDialog(kiro::setup::SetupServices& services, QWidget* parent)
    : CaptionlessDialog(597, parent)
    , m_services(services)
    , m_form(*services.settings, services.folders)
{
    auto* grid = new QGridLayout;
    for (int row = 0; row < 4; ++row) {
        const PictureSettingsForm::RowControls& ids = PictureSettingsForm::kRows[static_cast<std::size_t>(row)];
        m_default[row] = new QRadioButton(QStringLiteral("標準"), this);
        m_default[row]->setObjectName(QString::number(ids.defaultRadio));
        m_own[row] = new QRadioButton(QStringLiteral("自分で指定"), this);
        m_own[row]->setObjectName(QString::number(ids.ownRadio));
        m_edit[row] = new Cp932LineEdit(QString::number(ids.edit), PictureSettingsForm::kFolderLimit, this);
        auto* group = new QButtonGroup(this);
        group->addButton(m_default[row]);
        group->addButton(m_own[row]);
        connect(m_default[row], &QRadioButton::clicked, this, [this, row]() {
            m_form.chooseDefault(row);
            showRow(row);
        });
        connect(m_own[row], &QRadioButton::clicked, this, [this, row]() {
            m_form.chooseOwn(row);
            showRow(row);
            m_edit[row]->setFocus();
        });
        connect(m_edit[row], &QLineEdit::textEdited, this,
                [this, row]() { m_form.row(row).folder = m_edit[row]->utf8(); });
        grid->addWidget(new QLabel(QString::fromUtf8(ids.label), this), row, 0);
        grid->addWidget(m_default[row], row, 1);
        grid->addWidget(m_own[row], row, 2);
        grid->addWidget(m_edit[row], row, 3);
        showRow(row);
    }
    grid->setColumnStretch(3, 1);

    auto* cancel = kiro::setupui::labelButton(QStringLiteral("2"), QStringLiteral("キャンセル"), this);
    auto* ok = kiro::setupui::labelButton(QStringLiteral("1"), QStringLiteral("設定"), this);
    connect(cancel, &PictureButton::clicked, this, &QDialog::reject);
    connect(ok, &PictureButton::clicked, this, &PictureSettingsDialog::confirm);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->addWidget(kiro::setupui::titleLabel(QStringLiteral("画像設定"), this));
    layout->addLayout(grid);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    setFixedSize(600, 220);
}

void PictureSettingsDialog::showRow(int row)
{
    const PictureSettingsForm::Row& values = m_form.row(row);
    (values.use == 1 ? m_own[row] : m_default[row])->setChecked(true);
    m_edit[row]->setText(QString::fromStdString(values.folder));
    m_edit[row]->setEnabled(m_form.editable(row));
}

void PictureSettingsDialog::confirm()
{
    for (int row = 0; row < 4; ++row)
        m_form.row(row).folder = m_edit[row]->utf8();
    const int failed = m_form.store(*m_services.settings, *m_services.prompt);
    if (failed >= 0) {
        m_edit[failed]->setFocus();
        return;
    }
    accept();
}
