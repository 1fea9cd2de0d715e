#pragma once

#include "client/app/AppFolders.h"

#include <array>
#include <string>

namespace kiro::app {
struct ClientSettings;
class Prompt;
}

namespace kiro::setup {

// The picture settings dialog (597): four rows of a use flag (0 the default
// folder, 1 a folder of one's own) and a folder, whose edit is open only for
// one's own folder.
class PictureSettingsForm {
public:
    struct RowControls {
        int defaultRadio;
        int ownRadio;
        int edit;
        const char* label;
    };
    // Rows in order: the program's pictures, its videos, the user's pictures,
    // the user's videos (DefaultFolder kinds 0 to 3).
    static const std::array<RowControls, 4> kRows;
    static constexpr int kFolderLimit = 255;

    struct Row {
        int use = 0;
        std::string folder;
    };

    PictureSettingsForm(const app::ClientSettings& settings, app::AppFolders folders);

    Row& row(int index) { return m_rows[index]; }
    const Row& row(int index) const { return m_rows[index]; }
    bool editable(int index) const { return m_rows[index].use == 1; }

    // The row's first radio: back to the default folder, whatever was typed.
    void chooseDefault(int index);
    // The row's second radio: the folder becomes editable.
    void chooseOwn(int index);

    // "設定": refuses (after telling the user) a row of one's own folder left
    // empty; otherwise stores the flags and folders and puts the defaults back
    // into rows that use them. Returns the row that failed, or -1.
    int store(app::ClientSettings& settings, app::Prompt& prompt) const;

private:
    app::AppFolders m_folders;
    std::array<Row, 4> m_rows;
};

} // namespace kiro::setup
