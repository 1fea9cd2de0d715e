#pragma once

#include "client/db/Compaction.h"

#include <memory>

class CompactionProgress;
class QWidget;

namespace kiro::client {

// The compaction's progress on screen: the notice (592) over the maintenance
// menu, which takes no input while the files are moved. Its questions and
// messages go through the prompt.
class CompactionWindowView final : public kiro::db::CompactionProgress {
public:
    explicit CompactionWindowView(QWidget* menu);
    ~CompactionWindowView() override;

    void setBusy(bool busy) override;
    void showProgress(const std::string& title) override;
    void setStatus(const std::string& status) override;
    void hideProgress() override;

    ::CompactionProgress* notice() const { return m_notice.get(); }

private:
    QWidget* m_menu;
    std::unique_ptr<::CompactionProgress> m_notice;
};

} // namespace kiro::client
