#pragma once

#include "client/online/ProgressView.h"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kiro::ui {

// The connection-progress window (template 564): a small modeless dialog
// with six lines (remaining bytes, rate, file name, errors, bytes, status),
// a bar and one button whose caption and meaning follow the session's state.
// While it is shown its owner is disabled, so the user cannot start a second
// job, yet the window itself stays live.
class ProgressWindow final : public QDialog, public online::ProgressView {
    Q_OBJECT

public:
    explicit ProgressWindow(QWidget *owner = nullptr);

    // Called when the button is pressed (HostSession::pressButton).
    void setPressHandler(std::function<void()> press) { m_press = std::move(press); }

    void setLine(online::ProgressLine line, const std::string &text) override;
    void setBarRange(int maximum) override;
    void setBarPosition(int position) override;
    void setButton(const std::string &caption, bool enabled) override;
    void showWindow() override;
    void hideWindow() override;
    void setOwnerEnabled(bool enabled) override;
    void beep() override;

    QString lineText(online::ProgressLine line) const;
    QPushButton *button() const { return m_button; }
    QProgressBar *bar() const { return m_bar; }

protected:
    // Escape and the close box would leave the session without its window;
    // the button is the only way to act.
    void reject() override {}

private:
    QWidget *m_owner;
    QLabel *m_lines[6] = {};
    QProgressBar *m_bar = nullptr;
    QPushButton *m_button = nullptr;
    std::function<void()> m_press;
};

} // namespace kiro::ui
