#include "client/ui/setup/AccessPointDialog.h"

#include "client/app/ClientSettings.h"
#include "client/online/PortRegistry.h"
#include "client/setup/AccessPointQuery.h"
#include "client/ui/PictureButton.h"
#include "client/ui/setup/Cp932LineEdit.h"
#include "client/ui/setup/SetupWidgets.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cctype>

using kiro::setup::AccessPointForm;

namespace {

// Gate fields hold "名前-ロード" and "市外局番-番号" from the list.
constexpr int kNameLimit = 101;
constexpr int kPhoneLimit = 31;

std::string digitsOf(const std::string& number)
{
    std::string digits;
    for (unsigned char c : number)
        if (std::isdigit(c))
            digits += static_cast<char>(c);
    return digits;
}

} // namespace

AccessPointDialog::AccessPointDialog(kiro::setup::SetupServices& services, QWidget* parent)
    : CaptionlessDialog(465, parent)
    , m_services(services)
    , m_form(*services.settings)
    , m_fillTimer(new QTimer(this))
    , m_list(new QTreeWidget)
{
    auto* tab = new QTabWidget(this);
    tab->setObjectName(QString::number(AccessPointForm::Tab));
    m_list->setObjectName(QString::number(AccessPointForm::List));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("接続先-通信速度"), QStringLiteral("電話番号")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->resizeSection(0, 250);
    m_list->viewport()->installEventFilter(this);
    tab->addTab(m_list, QStringLiteral("アクセスポイント"));

    auto* gates = new QGridLayout;
    const int nameIds[2] = {AccessPointForm::Gate1Name, AccessPointForm::Gate2Name};
    const int phoneIds[2] = {AccessPointForm::Gate1Phone, AccessPointForm::Gate2Phone};
    const int speedIds[2] = {AccessPointForm::Gate1Speed, AccessPointForm::Gate2Speed};
    const int buttonIds[2] = {AccessPointForm::Gate1Button, AccessPointForm::Gate2Button};
    const QString buttonTexts[2] = {QStringLiteral("出発ゲート１"), QStringLiteral("出発ゲート２")};
    for (int i = 0; i < 2; ++i) {
        auto* gateButton = kiro::setupui::labelButton(QString::number(buttonIds[i]), buttonTexts[i], this, 112);
        connect(gateButton, &PictureButton::clicked, this, [this, i]() { selectGate(i + 1); });
        m_name[i] = new Cp932LineEdit(QString::number(nameIds[i]), kNameLimit, this);
        m_phone[i] = new Cp932LineEdit(QString::number(phoneIds[i]), kPhoneLimit, this);
        m_speed[i] = new QComboBox(this);
        m_speed[i]->setObjectName(QString::number(speedIds[i]));
        for (const auto& speed : kiro::setup::kSpeedTable)
            m_speed[i]->addItem(QString::fromUtf8(speed.text));
        m_phoneBook[i] = new QLabel(this);
        m_phoneBook[i]->setObjectName(QStringLiteral("phoneBook%1").arg(i + 1));
        connect(m_phone[i], &QLineEdit::textChanged, this, [this, i]() { showPhoneBook(i + 1); });
        const int row = i * 2;
        gates->addWidget(gateButton, row, 0);
        gates->addWidget(m_name[i], row, 1);
        gates->addWidget(m_phone[i], row, 2);
        gates->addWidget(m_speed[i], row, 3);
        gates->addWidget(m_phoneBook[i], row + 1, 1, 1, 3);
    }
    gates->setColumnStretch(1, 3);
    gates->setColumnStretch(2, 2);

    auto* where = new QLabel(QStringLiteral("TELNET仮想モデムの電話帳は %1 の\n[HKEY_LOCAL_MACHINE\\%2] で編集できます。")
                                 .arg(QString::fromStdString(m_services.registryFile),
                                      QString::fromUtf8(kiro::online::kTelnetKey)),
                             this);
    where->setObjectName(QStringLiteral("phoneBookFile"));
    where->setStyleSheet(QStringLiteral("color: #405070;"));

    auto* cancel = kiro::setupui::labelButton(QStringLiteral("2"), QStringLiteral("ｷｬﾝｾﾙ"), this);
    auto* ok = kiro::setupui::labelButton(QStringLiteral("1"), QStringLiteral("設定"), this);
    connect(cancel, &PictureButton::clicked, this, &QDialog::reject);
    connect(ok, &PictureButton::clicked, this, &AccessPointDialog::confirm);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->addWidget(kiro::setupui::titleLabel(QStringLiteral("交信先(出発ゲート)の設定"), this));
    layout->addWidget(tab, 1);
    layout->addLayout(gates);
    layout->addWidget(where);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    setFixedSize(600, 500);

    showGates();
    m_query = std::make_unique<kiro::setup::AccessPointQuery>(m_services.database);
    m_fillTimer->setObjectName(QStringLiteral("807"));
    m_fillTimer->setInterval(25);
    connect(m_fillTimer, &QTimer::timeout, this, &AccessPointDialog::fillTick);
    m_fillTimer->start();
}

AccessPointDialog::~AccessPointDialog() = default;

bool AccessPointDialog::filling() const
{
    return m_fillTimer->isActive();
}

void AccessPointDialog::fillTick()
{
    for (kiro::setup::AccessPointRow& row : m_query->nextBatch()) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, QString::fromStdString(row.place));
        item->setText(1, QString::fromStdString(row.number));
        item->setData(0, Qt::UserRole, row.roadCode);
        m_rows.push_back(std::move(row));
    }
    if (m_query->atEnd())
        m_fillTimer->stop();
}

void AccessPointDialog::selectGate(int gate)
{
    m_form.selectGate(gate);
    m_name[gate == 2]->setFocus();
}

void AccessPointDialog::useSelectedRow()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    const int index = selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.first());
    const kiro::setup::AccessPointRow* row =
        index >= 0 && index < static_cast<int>(m_rows.size()) ? &m_rows[static_cast<std::size_t>(index)] : nullptr;
    pullGates();
    if (m_form.applyRow(row, *m_services.prompt))
        showGates();
}

void AccessPointDialog::confirm()
{
    const auto textOf = [this](int control) {
        auto* edit = findChild<Cp932LineEdit*>(QString::number(control));
        return edit ? edit->utf8() : std::string();
    };
    const kiro::setup::FieldCheckResult check =
        kiro::setup::CheckFields(AccessPointForm::kChecks, textOf, *m_services.prompt);
    if (!check.valid) {
        if (auto* edit = findChild<Cp932LineEdit*>(QString::number(check.failingControl)))
            edit->setFocus();
        return;
    }
    pullGates();
    kiro::app::ClientSettings& settings = *m_services.settings;
    m_form.store(settings);
    if (m_services.settingsChanged)
        m_services.settingsChanged();
    if (m_services.reconfigurePort)
        m_services.reconfigurePort(settings.ComPort, settings.BaudRate);
    accept();
}

bool AccessPointDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // A double click on empty space clears the selection, so it asks for a row.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (QTreeWidgetItem* item = m_list->itemAt(mouse->position().toPoint()))
            m_list->setCurrentItem(item);
        else
            m_list->clearSelection();
        useSelectedRow();
        return true;
    }
    return CaptionlessDialog::eventFilter(watched, event);
}

void AccessPointDialog::pullGates()
{
    for (int gate = 1; gate <= 2; ++gate) {
        AccessPointForm::Gate& g = m_form.gate(gate);
        g.name = m_name[gate == 2]->utf8();
        g.phone = m_phone[gate == 2]->utf8();
        g.speedPosition = m_speed[gate == 2]->currentIndex();
    }
}

void AccessPointDialog::showGates()
{
    for (int gate = 1; gate <= 2; ++gate) {
        const AccessPointForm::Gate& g = m_form.gate(gate);
        m_name[gate == 2]->setText(QString::fromStdString(g.name));
        m_phone[gate == 2]->setText(QString::fromStdString(g.phone));
        m_speed[gate == 2]->setCurrentIndex(g.speedPosition);
        showPhoneBook(gate);
    }
}

void AccessPointDialog::showPhoneBook(int gate)
{
    QLabel* label = m_phoneBook[gate == 2];
    const std::string digits = digitsOf(m_phone[gate == 2]->utf8());
    if (digits.empty()) {
        label->clear();
        return;
    }
    const std::optional<std::string> entry =
        m_services.registry ? kiro::online::telnetPhoneBookEntry(*m_services.registry, digits) : std::nullopt;
    label->setText(entry ? QStringLiteral("TELNET仮想モデムでは %1 → %2")
                               .arg(QString::fromStdString(digits), QString::fromStdString(*entry))
                         : QStringLiteral("TELNET仮想モデムの電話帳に %1 はありません").arg(QString::fromStdString(digits)));
}
