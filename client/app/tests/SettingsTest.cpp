#include "client/app/AppFolders.h"
#include "client/app/Scramble.h"
#include "client/app/Settings.h"
#include "common/AtomicFile.h"
#include "common/Profile.h"
#include "common/tests/TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace kiro::app;

namespace {

void writeIni(const fs::path& dir, const std::string& text)
{
    ASSERT_TRUE(kiro::writeFileAtomically(dir / kClientIni, text).empty());
}

} // namespace

TEST(Settings, MissingFileGivesTheTableDefaultsAndForcedValues)
{
    TempDir dir("settings");
    ClientSettings s;
    s.ComPort = 4;
    EXPECT_EQ(LoadSettings(s, dir.path), "");
    EXPECT_EQ(s.ComPort, 1);
    EXPECT_EQ(s.ModemRegPos, -1);
    EXPECT_EQ(s.BaudRate, 9600);
    EXPECT_EQ(s.ModemInit, "AT");
    EXPECT_EQ(s.QQMailID, "QRT04521");
    EXPECT_EQ(s.ResChar, "＞");
    EXPECT_EQ(s.Forum, "KIROFORM");
    EXPECT_EQ(s.Name, "氏名未登録");
    EXPECT_EQ(s.ReDialTimes, 3);
    EXPECT_EQ(s.BgmOff, 1);
    EXPECT_EQ(s.UserBGV, 1);
    EXPECT_EQ(s.UserBGVPiano, 1);
    EXPECT_EQ(s.OperatorUserId, "QRT07790");
    EXPECT_FALSE(fs::exists(dir.path / kClientIni)) << "loading writes nothing";
}

TEST(Settings, LoadAppliesForcedValuesAndSkipsUnreadKeys)
{
    TempDir dir("settings");
    writeIni(dir.path, "[Setup]\r\nBgmOff=0\r\nManualModemTest=1\r\nUserBGV=0\r\nUserBGVPiano=0\r\n"
                       "ReDialTimes=9\r\nMailX=5\r\nBaudRate=28800\r\nBaudRate2=x\r\nComPort=3\r\n"
                       "[ParsonalInfo]\r\nName=\x8E\x52\x93\x63\r\n"); // 山田 in CP932
    ClientSettings s;
    LoadSettings(s, dir.path);
    EXPECT_EQ(s.BgmOff, 1);
    EXPECT_EQ(s.ManualModemTest, 0);
    EXPECT_EQ(s.UserBGV, 1);
    EXPECT_EQ(s.UserBGVPiano, 1);
    EXPECT_EQ(s.ReDialTimes, 3);
    EXPECT_EQ(s.MailX, 0);
    EXPECT_EQ(s.BaudRate, 28800);
    EXPECT_EQ(s.BaudRate2, 0) << "atol of a non-number";
    EXPECT_EQ(s.ComPort, 3);
    EXPECT_EQ(s.Name, "山田");
}

TEST(Settings, SaveWritesOnlyWrittenBackKeysAndScramblesPasswords)
{
    TempDir dir("settings");
    writeIni(dir.path, "; kept\r\n[Other]\r\nX=1\r\n[Setup]\r\nForum=MYFORUM\r\n");
    ClientSettings s;
    LoadSettings(s, dir.path);
    EXPECT_EQ(s.Forum, "MYFORUM");
    s.NiftyPassWord = "abc";
    s.CardNo = "";
    s.Forum = "CHANGED";
    s.UserBGV = 1;
    s.BaudRate = 14400;
    ASSERT_EQ(SaveSettings(s, dir.path), "");

    fs::path ini = dir.path / kClientIni;
    std::string text = fileText(ini);
    EXPECT_EQ(text.rfind("; kept\r\n[Other]\r\nX=1\r\n[Setup]\r\nForum=MYFORUM\r\n", 0), 0u)
        << "other sections and keys are kept; Forum is not written back";
    EXPECT_NE(text.find("NiftyPassWord=DBD9F786896C26\r\n"), std::string::npos);
    EXPECT_NE(text.find("CardNo=\r\n"), std::string::npos);
    EXPECT_NE(text.find("BaudRate=14400\r\n"), std::string::npos);
    EXPECT_NE(text.find("ReDialTimes=3\r\n"), std::string::npos);
    EXPECT_NE(text.find("MailX=0\r\n"), std::string::npos);
    EXPECT_EQ(text.find("UserBGV="), std::string::npos);
    EXPECT_EQ(text.find("PGVupStartCode="), std::string::npos);
    EXPECT_NE(text.find("ResChar=\x81\x84\r\n"), std::string::npos) << "CP932 in the file";

    ClientSettings back;
    LoadSettings(back, dir.path);
    EXPECT_EQ(back.NiftyPassWord, "abc");
    EXPECT_EQ(back.Forum, "MYFORUM");
    EXPECT_EQ(back.BaudRate, 14400);
}

TEST(Settings, HandWrittenAndDamagedPasswords)
{
    TempDir dir("settings");
    std::string damaged = ScrambleText("1234");
    damaged[0] = damaged[0] == 'F' ? 'E' : 'F';
    writeIni(dir.path, "[ParsonalInfo]\r\nNiftyPassWord=(hand\x83\x70)\r\nKiroPassWord=" + damaged +
                           "\r\nCardNo=" + ScrambleText("4980123412341234") + "\r\n");
    ClientSettings s;
    LoadSettings(s, dir.path);
    EXPECT_EQ(s.NiftyPassWord, "handパ");
    EXPECT_EQ(s.KiroPassWord, damaged) << "a failed check keeps the stored text";
    EXPECT_EQ(s.CardNo, "4980123412341234");

    ASSERT_EQ(SaveSettings(s, dir.path), "");
    EXPECT_EQ(kiro::profile::getString("ParsonalInfo", "NiftyPassWord", "", dir.path / kClientIni),
              ScrambleText("hand\x83\x70")) << "written back scrambled";
    ClientSettings again;
    LoadSettings(again, dir.path);
    EXPECT_EQ(again.NiftyPassWord, "handパ");
}

TEST(Settings, ValuesWithoutCp932FormAreRefusedNotLost)
{
    TempDir dir("settings");
    ClientSettings s;
    const SettingKey* key = findSettingKey("Phone");
    ASSERT_TRUE(key);
    EXPECT_NE(setSettingFromText(s, *key, "\xF0\x9F\x98\x80"), "");
    EXPECT_EQ(s.Phone, "");
    s.Phone = "\xF0\x9F\x98\x80"; // set behind the checks
    s.ComPort = 2;
    EXPECT_NE(SaveSettings(s, dir.path), "");
    ClientSettings back;
    LoadSettings(back, dir.path);
    EXPECT_EQ(back.ComPort, 2) << "the other keys are still saved";
    EXPECT_EQ(setSettingFromText(s, *findSettingKey("ComPort"), "99999999999").empty(), false);
    EXPECT_EQ(setSettingFromText(s, *findSettingKey("comport"), "-7"), "");
    EXPECT_EQ(s.ComPort, -7);
    EXPECT_EQ(findSettingKey("NoSuchKey"), nullptr);
}

TEST(Settings, KeyTableHasEveryKeyOnce)
{
    EXPECT_EQ(settingKeys().size(), 88u);
    for (const SettingKey& key : settingKeys())
        EXPECT_EQ(findSettingKey(key.name), &key) << key.name;
    EXPECT_EQ(std::string(settingKeys().front().name), "SetupIsOK");
    EXPECT_EQ(std::string(settingKeys().back().name), "PCModel");
}

TEST(AppFolders, FoldersPictureDefaultsAndKiroDirectry)
{
    TempDir dir("folders");
    AppFolders f = AppFolders::fromInstallFolder("/opt/kiro");
    EXPECT_EQ(f.installFolder, "/opt/kiro/");
    EXPECT_EQ(f.systemFolder, "/opt/kiro/sysfile/");
    EXPECT_EQ(f.playerPath, "/opt/kiro/karaoke/songbox");
    EXPECT_EQ(DefaultFolder(f, 0), "/opt/kiro/karaoke/Pict");
    EXPECT_EQ(DefaultFolder(f, 1), "//CDROM/KiroAvi");
    EXPECT_EQ(DefaultFolder(f, 2), "/opt/kiro/karaoke/User");
    EXPECT_EQ(DefaultFolder(f, 3), "//CDROM/KiroAvi");
    EXPECT_EQ(DefaultFolder(f, 4), "");

    ClientSettings s;
    s.UseMyCG = 1;
    s.PathMyCG = "/home/me/pictures";
    s.UseMyAVI = 0;
    s.PathMyAVI = "/home/me/videos";
    FillPictureDefaults(s, f);
    EXPECT_EQ(s.PathMyCG, "/home/me/pictures");
    EXPECT_EQ(s.PathMyAVI, "//CDROM/KiroAvi");
    EXPECT_EQ(s.PathKiroKaraCG, "/opt/kiro/karaoke/Pict");
    s.UseMyCG = 0;
    FillPictureDefaults(s, f);
    EXPECT_EQ(s.PathMyCG, "/opt/kiro/karaoke/User");

    f.recordCurrentYear();
    EXPECT_EQ(f.currentYear4.size(), 4u);
    EXPECT_EQ(f.currentYear4.substr(2), f.currentYear2);

    ASSERT_EQ(WriteKiroDirectry(f, dir.path), "");
    EXPECT_EQ(fileText(dir.path / kSharedIni), "[KiroIF]\r\nKiroDirectry=/opt/kiro\r\n");
}

TEST(Settings, GarbledFileGivesDefaultsForWhatItLacks)
{
    TempDir dir("settings");
    static const char raw[] = "\x00\xFF\xFE[Setup\r\n=\r\n[Setup]\r\nComPort=\x82\r\nReDialInterval=30\r\n\x81";
    std::string junk(raw, sizeof raw - 1);
    writeIni(dir.path, junk);
    ClientSettings s;
    EXPECT_EQ(LoadSettings(s, dir.path), "");
    EXPECT_EQ(s.ComPort, 0) << "a value without digits reads as 0, as on Windows";
    EXPECT_EQ(s.ReDialInterval, 30);
    EXPECT_EQ(s.ModemInit, "AT");
    s.ModemInit = "ATZ";
    EXPECT_EQ(SaveSettings(s, dir.path), "");
    std::string text = fileText(dir.path / kClientIni);
    EXPECT_EQ(text.rfind(std::string("\x00\xFF\xFE[Setup\r\n", 9), 0), 0u) << "unknown lines are kept";
    ClientSettings back;
    LoadSettings(back, dir.path);
    EXPECT_EQ(back.ModemInit, "ATZ");
}

TEST(Settings, SavingKeepsWhatAnotherProgramWroteSinceTheLoad)
{
    TempDir dir("settings");
    writeIni(dir.path, "[Setup]\r\nComPort=1\r\nModemInit=AT\r\nReDialInterval=30\r\n");
    ClientSettings client;
    ASSERT_EQ(LoadSettings(client, dir.path), "");
    const ClientSettings asLoaded = client;

    // kiro-settings changes two keys while the client runs...
    ClientSettings other;
    LoadSettings(other, dir.path);
    other.ComPort = 5;
    other.ModemInit = "ATZ";
    ASSERT_EQ(SaveSettings(other, dir.path, &asLoaded), "");

    // ...and the client saves its own change of a third.
    client.ReDialInterval = 60;
    ASSERT_EQ(SaveSettings(client, dir.path, &asLoaded), "");
    ClientSettings back;
    LoadSettings(back, dir.path);
    EXPECT_EQ(back.ComPort, 5);
    EXPECT_EQ(back.ModemInit, "ATZ");
    EXPECT_EQ(back.ReDialInterval, 60);
}
