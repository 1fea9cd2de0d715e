#pragma once

class QWidget;

namespace kiro::client {

class ProgramServices;

// The setup dialogs the song book opens: "画像設定" on the karaoke screen and
// "音源/ﾓﾃﾞﾑﾃｽﾄ" on the group list (after its question). Each runs modally
// over `parent` and returns the dialog's result (QDialog::Accepted after
// "設定"); the settings reach KIROL.INI when the song book closes.
int openPictureSettingsDialog(QWidget* parent, ProgramServices& services);
int openSoundModemDialog(QWidget* parent, ProgramServices& services);

} // namespace kiro::client
