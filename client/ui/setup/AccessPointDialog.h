#pragma once

#include "client/setup/AccessPointForm.h"
#include "client/setup/SetupServices.h"
#include "client/ui/CaptionlessDialog.h"

#include <memory>
#include <vector>

class Cp932LineEdit;
class QComboBox;
class QLabel;
class QTimer;
class QTreeWidget;
namespace kiro::setup {
class AccessPointQuery;
}

// Template 465: the two departure gates, chosen from the catalogue's access
// point list (filled a batch per 25 ms tick) or typed. On this platform each
// gate also shows where the TELNET virtual modem's phone book sends its number.
class AccessPointDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    AccessPointDialog(kiro::setup::SetupServices& services, QWidget* parent = nullptr);
    ~AccessPointDialog() override;

    QTreeWidget* list() const { return m_list; }
    bool filling() const;
    Cp932LineEdit* nameEdit(int gate) const { return m_name[gate == 2]; }
    Cp932LineEdit* phoneEdit(int gate) const { return m_phone[gate == 2]; }
    QComboBox* speedCombo(int gate) const { return m_speed[gate == 2]; }
    QLabel* phoneBookLabel(int gate) const { return m_phoneBook[gate == 2]; }
    int selectedGate() const { return m_form.selectedGate(); }

    // "出発ゲート１" / "出発ゲート２".
    void selectGate(int gate);
    // A double click on the list: copies the selected row into the selected gate.
    void useSelectedRow();
    // "設定": checks gate 1, stores both gates and points the port at gate 1's speed.
    void confirm();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillTick();
    void pullGates();
    void showGates();
    void showPhoneBook(int gate);

    kiro::setup::SetupServices& m_services;
    kiro::setup::AccessPointForm m_form;
    std::unique_ptr<kiro::setup::AccessPointQuery> m_query;
    std::vector<kiro::setup::AccessPointRow> m_rows;
    QTimer* m_fillTimer;
    QTreeWidget* m_list;
    Cp932LineEdit* m_name[2];
    Cp932LineEdit* m_phone[2];
    QComboBox* m_speed[2];
    QLabel* m_phoneBook[2];
};
