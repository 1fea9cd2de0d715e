#pragma once

#include "client/app/Prompt.h"

#include <QPointer>
#include <QWidget>

// The client's real prompt: notices go to MessageDialog (132), questions to
// ConfirmDialog (130), both modal over the current screen.
class DialogPrompt final : public kiro::app::Prompt {
public:
    explicit DialogPrompt(QWidget* owner = nullptr);

    // Dialogs open over this window (the screen that is active now).
    void setOwner(QWidget* owner) { m_owner = owner; }

    void message(const std::string& text, const std::string& buttonLabel = {}) override;
    kiro::app::PromptAnswer question(const std::string& text, const std::string& firstLabel = {},
        const std::string& secondLabel = {}) override;

private:
    QWidget* owner() const;

    QPointer<QWidget> m_owner;
};
