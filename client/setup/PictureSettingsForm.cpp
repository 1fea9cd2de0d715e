#include "client/setup/PictureSettingsForm.h"

#include "client/app/ClientSettings.h"
#include "client/app/Prompt.h"

#include <QString>

namespace kiro::setup {
namespace {

struct Fields {
    std::int32_t app::ClientSettings::*use;
    std::string app::ClientSettings::*path;
};
constexpr std::array<Fields, 4> kFields = {{
    {&app::ClientSettings::UseKiroKaraCG, &app::ClientSettings::PathKiroKaraCG},
    {&app::ClientSettings::UseKiroKaraAVI, &app::ClientSettings::PathKiroKaraAVI},
    {&app::ClientSettings::UseMyCG, &app::ClientSettings::PathMyCG},
    {&app::ClientSettings::UseMyAVI, &app::ClientSettings::PathMyAVI},
}};

} // namespace

const std::array<PictureSettingsForm::RowControls, 4> PictureSettingsForm::kRows = {{
    {1236, 1243, 1244, "KIROカラオケの画像"},
    {1237, 1242, 1245, "KIROカラオケの動画"},
    {1238, 1241, 1246, "自分の画像"},
    {1239, 1240, 1247, "自分の動画"},
}};

PictureSettingsForm::PictureSettingsForm(const app::ClientSettings& settings, app::AppFolders folders)
    : m_folders(std::move(folders))
{
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        m_rows[i] = {settings.*kFields[i].use == 1 ? 1 : 0, settings.*kFields[i].path};
        // Start-up gave default rows their folders already; a record that
        // missed it still shows where the pictures are looked for.
        if (m_rows[i].use == 0)
            m_rows[i].folder = app::DefaultFolder(m_folders, static_cast<int>(i));
    }
}

void PictureSettingsForm::chooseDefault(int index)
{
    m_rows[index].use = 0;
    m_rows[index].folder = app::DefaultFolder(m_folders, index);
}

void PictureSettingsForm::chooseOwn(int index)
{
    m_rows[index].use = 1;
}

int PictureSettingsForm::store(app::ClientSettings& settings, app::Prompt& prompt) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].use == 1 && m_rows[i].folder.empty()) {
            // An empty folder of one's own would leave the player nothing to show.
            prompt.message(QStringLiteral("%1のフォルダが\n入力されていません。")
                               .arg(QString::fromUtf8(kRows[i].label))
                               .toStdString());
            return static_cast<int>(i);
        }
    }
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        settings.*kFields[i].use = m_rows[i].use;
        settings.*kFields[i].path = m_rows[i].folder;
    }
    app::FillPictureDefaults(settings, m_folders);
    return -1;
}

} // namespace kiro::setup
