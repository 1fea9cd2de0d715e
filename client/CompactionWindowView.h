#pragma once

#include "client/db/Compaction.h"

#include <memory>

class CompactionProgress;
class QWidget;
namespace kiro::app {
class Prompt;
}

namespace kiro::client {

// The compaction's view on screen: questions and messages through the
// prompt, the progress notice (592) over the maintenance menu.
class CompactionWindowView final : public kiro::db::CompactionView {
public:
    CompactionWindowView(kiro::app::Prompt& prompt, QWidget* menu);
    ~CompactionWindowView() override;

    bool confirm(const std::string& question) override;
    void message(const std::string& text) override;
    void setBusy(bool busy) override;
    void showProgress(const std::string& title) override;
    void setStatus(const std::string& status) override;
    void hideProgress() override;

    CompactionProgress* progress() const { return m_progress.get(); }

private:
    kiro::app::Prompt& m_prompt;
    QWidget* m_menu;
    std::unique_ptr<CompactionProgress> m_progress;
};

} // namespace kiro::client
