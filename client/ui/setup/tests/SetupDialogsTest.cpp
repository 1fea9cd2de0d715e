#include "client/setup/tests/SetupFixture.h"
#include "client/ui/PictureButton.h"
#include "client/ui/setup/AccessPointDialog.h"
#include "client/ui/setup/Cp932LineEdit.h"
#include "client/ui/setup/PictureSettingsDialog.h"
#include "client/ui/setup/SoundModemDialog.h"
#include "client/ui/setup/UserSettingsDialog.h"
#include "client/ui/tests/UiTestSupport.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using kiro::setuptest::SetupFixture;

namespace {

void click(QWidget* dialog, const char* id)
{
    auto* button = dialog->findChild<QAbstractButton*>(QString::fromLatin1(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

Cp932LineEdit* edit(QWidget* dialog, int id)
{
    return dialog->findChild<Cp932LineEdit*>(QString::number(id));
}

void fillUserSettings(UserSettingsDialog& dialog)
{
    dialog.edit(1157)->setText("ABC01234");
    dialog.edit(1158)->setText("secret");
    dialog.edit(1417)->setText("100-0001");
    dialog.edit(1419)->setText("東京都千代田区");
    dialog.edit(1111)->setText("山田太郎");
    dialog.edit(1421)->setText("0312345678");
}

void waitUntilFilled(AccessPointDialog& dialog)
{
    QElapsedTimer clock;
    clock.start();
    while (dialog.filling() && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

std::vector<kiro::setuptest::AccessPointSample> sampleAccessPoints(int count)
{
    std::vector<kiro::setuptest::AccessPointSample> rows;
    for (int i = 0; i < count; ++i) {
        char reading[16];
        std::snprintf(reading, sizeof reading, "r%02d", i);
        rows.push_back({"P" + std::to_string(i), "03", "5000-" + std::to_string(1000 + i), reading, i % 2 ? 50 : 30});
    }
    return rows;
}

} // namespace

TEST(UserSettingsDialog, WithoutAnAccessPointOkKeepsSetupIncomplete)
{
    kiro::uitest::app();
    SetupFixture f;
    UserSettingsDialog dialog(f.services);
    fillUserSettings(dialog);
    click(&dialog, "1");
    EXPECT_EQ(dialog.result(), 0) << "the dialog stays open";
    EXPECT_EQ(f.settings.SetupIsOK, 0);
    EXPECT_EQ(f.saves, 0);
    EXPECT_EQ(f.prompt.texts(), std::vector<std::string>{
                                    "アクセスポイントが\n入力されていません。\n「ｱｸｾｽﾎﾟｲﾝﾄ」ボタンで設定してください。"});

    f.settings.AccessPoint = "0350000001";
    click(&dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.settings.SetupIsOK, 1);
    EXPECT_EQ(f.settings.Name, "山田太郎");
    EXPECT_EQ(f.saves, 1);
}

TEST(UserSettingsDialog, AccessPointButtonCompletesSetupAndSaves)
{
    kiro::uitest::app();
    SetupFixture f;
    f.openCatalogue(sampleAccessPoints(3));
    UserSettingsDialog dialog(f.services);
    fillUserSettings(dialog);
    kiro::uitest::whenModalOpens([](QDialog* gates) {
        auto* access = qobject_cast<AccessPointDialog*>(gates);
        ASSERT_NE(access, nullptr);
        waitUntilFilled(*access);
        access->list()->setCurrentItem(access->list()->topLevelItem(0));
        access->useSelectedRow();
        click(access, "1");
    });
    click(&dialog, "1416");
    EXPECT_EQ(f.settings.AccessPoint, "03-5000-1000");
    EXPECT_EQ(f.saves, 1) << "saved after the access point dialog's OK";
    click(&dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.settings.SetupIsOK, 1);
    EXPECT_EQ(f.saves, 2);
    EXPECT_TRUE(f.prompt.records().empty());
}

TEST(UserSettingsDialog, EditsTakeTheirLimitInCodePage932Bytes)
{
    kiro::uitest::app();
    SetupFixture f;
    f.settings.NiftyPassWord = "hidden";
    UserSettingsDialog dialog(f.services, false);
    const QString forty = QStringLiteral("山田山田山田山田山田山田山田山田山田山田");
    dialog.edit(1111)->setText(forty);
    EXPECT_EQ(dialog.edit(1111)->text(), forty) << "40 bytes fit";
    dialog.edit(1111)->setText(forty + "A");
    EXPECT_EQ(dialog.edit(1111)->text(), forty) << "the 41st byte is refused";
    dialog.edit(1157)->setText("ABCDEFGHIJ");
    EXPECT_EQ(dialog.edit(1157)->text(), "ABCDEFGH");
    EXPECT_EQ(dialog.edit(1158)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.edit(1158)->text(), "hidden");
    EXPECT_TRUE(dialog.findChild<PictureButton*>("1016")->isHidden()) << "the opener hid the setup buttons";
    EXPECT_TRUE(dialog.findChild<PictureButton*>("1416")->isHidden());
}

TEST(AccessPointDialog, FillsTheListInTicksAndDoubleClickSetsGate2)
{
    kiro::uitest::app();
    SetupFixture f;
    f.openCatalogue(sampleAccessPoints(25));
    f.registry().writeString(kiro::online::kTelnetKey, "0350001001", "nifty.example.net:23");
    AccessPointDialog dialog(f.services);
    EXPECT_EQ(dialog.list()->topLevelItemCount(), 0) << "the list fills on the timer";
    QApplication::processEvents(QEventLoop::AllEvents, 40);
    EXPECT_LE(dialog.list()->topLevelItemCount(), 20);
    waitUntilFilled(dialog);
    ASSERT_EQ(dialog.list()->topLevelItemCount(), 25);

    click(&dialog, "1255");
    EXPECT_EQ(dialog.selectedGate(), 2);
    dialog.list()->setCurrentItem(dialog.list()->topLevelItem(1)); // P1, road code 50
    dialog.useSelectedRow();
    EXPECT_EQ(dialog.nameEdit(2)->text(), "P1-28800bps");
    EXPECT_EQ(dialog.phoneEdit(2)->text(), "03-5000-1001");
    EXPECT_EQ(dialog.speedCombo(2)->currentText(), "57600bps");
    EXPECT_TRUE(dialog.phoneBookLabel(2)->text().contains("nifty.example.net:23"));
    EXPECT_TRUE(dialog.nameEdit(1)->text().isEmpty());

    dialog.nameEdit(1)->setText("手入力");
    dialog.phoneEdit(1)->setText("0311112222");
    click(&dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.settings.AccessPoint2nd, "03-5000-1001");
    EXPECT_EQ(f.settings.BaudRate2, 57600);
    EXPECT_EQ(f.settings.RoadType2, 5);
    EXPECT_EQ(f.settings.AccessPoint, "0311112222");
    EXPECT_EQ(f.reconfigured, std::vector<std::string>{"2@9600"}) << "the port runs at gate 1's speed";
}

TEST(AccessPointDialog, RefusesAFullWidthDigitAndADoubleClickOnNothing)
{
    kiro::uitest::app();
    SetupFixture f;
    f.openCatalogue(sampleAccessPoints(2));
    AccessPointDialog dialog(f.services);
    waitUntilFilled(dialog);
    dialog.resize(600, 500);

    dialog.nameEdit(1)->setText("東京");
    dialog.phoneEdit(1)->setText("03-５000-0001");
    click(&dialog, "1");
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(f.prompt.texts(), std::vector<std::string>{
                                    "出発ゲート１の電話番号には、\n全角文字は入力できません。\n\n半角文字に直してください。"});
    EXPECT_TRUE(f.settings.AccessPoint.empty());
    EXPECT_TRUE(f.reconfigured.empty());

    f.prompt.clear();
    dialog.phoneEdit(1)->setText("03-5000-0001");
    dialog.phoneEdit(2)->setText("０６");
    click(&dialog, "1");
    EXPECT_EQ(dialog.result(), 0) << "gate 2's number is dialled on a redial: half-width too";
    EXPECT_EQ(f.prompt.texts(), std::vector<std::string>{
                                    "出発ゲート２の電話番号には、\n全角文字は入力できません。\n\n半角文字に直してください。"});
    dialog.phoneEdit(2)->clear();

    f.prompt.clear();
    dialog.show();
    QWidget* viewport = dialog.list()->viewport();
    const QPointF empty(10, viewport->height() - 5);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, empty, viewport->mapToGlobal(empty), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &doubleClick);
    EXPECT_EQ(f.prompt.texts(), std::vector<std::string>{"アクセスポイントを\n指定してください。"});
    EXPECT_EQ(dialog.nameEdit(1)->text(), "東京");
    dialog.hide();
}

TEST(SoundModemDialog, CancelRestoresThePort)
{
    kiro::uitest::app();
    SetupFixture f;
    f.settings.ModemRegPos = 0;
    SoundModemDialog dialog(f.services);
    EXPECT_EQ(dialog.portCombo()->currentIndex(), 1);
    emit dialog.modemCombo()->activated(1); // the TELNET virtual modem
    EXPECT_EQ(dialog.portCombo()->currentIndex(), 4);
    f.prompt.addAnswer(kiro::app::PromptAnswer::First);
    click(&dialog, "1016");
    EXPECT_EQ(f.testedPorts, std::vector<int>{5});
    click(&dialog, "2");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(f.settings.ComPort, 2);
    EXPECT_EQ(f.settings.ModemRegPos, 0);
    ASSERT_FALSE(f.reconfigured.empty());
    EXPECT_EQ(f.reconfigured.back(), "2@9600");
    EXPECT_TRUE(f.music.calls.empty()) << "cancel leaves the music alone";
}

TEST(PictureSettingsDialog, BackToDefaultRestoresTheDefaultFolder)
{
    kiro::uitest::app();
    SetupFixture f;
    PictureSettingsDialog dialog(f.services);
    EXPECT_FALSE(dialog.folderEdit(2)->isEnabled());
    dialog.ownRadio(2)->click();
    EXPECT_TRUE(dialog.folderEdit(2)->isEnabled());
    dialog.folderEdit(2)->clear();
    dialog.folderEdit(2)->insert("/home/u/pics");
    dialog.defaultRadio(2)->click();
    EXPECT_EQ(dialog.folderEdit(2)->text(), "/opt/kiro/karaoke/User");
    EXPECT_FALSE(dialog.folderEdit(2)->isEnabled());

    dialog.ownRadio(3)->click();
    dialog.folderEdit(3)->clear();
    dialog.folderEdit(3)->insert("/media/videos");
    click(&dialog, "1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.settings.UseMyCG, 0);
    EXPECT_EQ(f.settings.PathMyCG, "/opt/kiro/karaoke/User");
    EXPECT_EQ(f.settings.UseMyAVI, 1);
    EXPECT_EQ(f.settings.PathMyAVI, "/media/videos");
    EXPECT_EQ(edit(&dialog, 1244)->text(), "/opt/kiro/karaoke/Pict");
}
