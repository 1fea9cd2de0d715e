#pragma once

#include "client/setup/SetupServices.h"
#include "client/setup/SoundModemForm.h"
#include "client/ui/CaptionlessDialog.h"

class QCheckBox;
class QComboBox;
class QRadioButton;
class Cp932LineEdit;

// Template 405: how the modem and the sound module are connected, which modem
// and port, the additional initialisation command, tone or pulse, and the
// modem and sound tests. "設定" stores and restarts the music with the chosen
// engine; "もどる" (or Escape) puts everything back as it was on opening.
class SoundModemDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    SoundModemDialog(kiro::setup::SetupServices& services, QWidget* parent = nullptr);

    QComboBox* modemCombo() const { return m_modem; }
    QComboBox* portCombo() const { return m_port; }

    void modemTest();
    void soundTest();
    void confirm();
    void reject() override;

private:
    void pull();

    kiro::setup::SetupServices& m_services;
    kiro::setup::SoundModemForm m_form;
    QRadioButton* m_both;
    QRadioButton* m_switching;
    QComboBox* m_modem;
    QComboBox* m_port;
    Cp932LineEdit* m_init;
    QRadioButton* m_tone;
    QRadioButton* m_pulse;
    QCheckBox* m_music;
    QCheckBox* m_softwareSound;
};
