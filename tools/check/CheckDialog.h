#pragma once

#include "tools/check/CheckController.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kiro::check {

// The window of the check utility (caption "Check"): the explanation, a
// progress bar shown while the rebuild runs, and the buttons "実行" and
// "キャンセル". A thin view: the controller decides everything.
class CheckDialog final : public QDialog, public CheckView {
public:
    explicit CheckDialog(const std::filesystem::path& installFolder, QWidget* parent = nullptr);

    CheckController& controller() { return m_controller; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QProgressBar* progressBar() const { return m_progress; }
    QLabel* statusLabel() const { return m_status; }
    // What the last message box said (for a window without a user: tests).
    const std::vector<std::string>& messages() const { return m_messages; }
    // Message boxes are recorded but not shown (a view without a user).
    void setQuiet(bool quiet) { m_quiet = quiet; }

    void setStatusText(const std::string& text) override;
    void setOkButton(const std::string& label, bool enabled) override;
    void setCancelEnabled(bool enabled) override;
    void showProgress(int maximum) override;
    void advanceProgress() override;
    void message(const std::string& text) override;
    void endDialog(int result) override;

    void reject() override;

private:
    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    std::vector<std::string> m_messages;
    bool m_quiet = false;
    CheckController m_controller;
};

} // namespace kiro::check
