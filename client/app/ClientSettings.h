#pragma once

#include <cstdint>
#include <string>

namespace kiro::app {

// The in-memory record of every key of KIROL.INI (sections Setup and
// ParsonalInfo). Fields carry the key names letter for letter and default to
// the values a missing file or key gives. Texts are UTF-8; the scrambled keys
// (NiftyPassWord, KiroPassWord, CardNo) are held in plain text.
struct ClientSettings {
    static constexpr const char* kOperatorUserId = "QRT07790";

    // Section Setup
    std::int32_t SetupIsOK = 0; // 1 once the user settings dialog was completed with OK
    std::int32_t MailToUserInfo = 0;
    std::int32_t PassWordNoCheck = 1;
    std::int32_t ReDialTimes = 3; // not read: 3 at every start
    std::int32_t ReDialInterval = 60; // seconds between redials
    std::int32_t ComPort = 1; // COM port number
    std::int32_t PhoneType = 0; // tone or pulse dialling
    std::int32_t ManualModemTest = 0; // forced to 0 after loading
    std::int32_t ModemRegNo = 0; // 1-based number of the modem's registry entry; 0 = none
    std::int32_t ModemRegPos = -1; // list position of the chosen modem
    std::int32_t SoftwareSound = 0; // software synthesizer chosen
    std::int32_t OrderSoftSynthe = 0;
    std::int32_t BgmOff = 1; // background music off; forced to 1 after loading
    std::int32_t ComSingle = 1; // modem and sound module share one port
    std::int32_t RoadType = 3; // road type of departure gate 1
    std::int32_t RoadType2 = 3; // road type of departure gate 2
    std::int32_t BaudRate = 9600; // speed of gate 1, stored as decimal text
    std::int32_t BaudRate2 = 9600; // speed of gate 2, stored as decimal text
    std::int32_t AccessSpeedPos = 0;
    std::int32_t AccessSpeedPos2 = 0;
    std::string AccessPoint; // telephone number of gate 1
    std::string AccessPointName;
    std::string AccessPoint2nd; // telephone number of gate 2
    std::string AccessPoint2ndName;
    std::string ModemInit = "AT"; // additional modem initialisation command
    std::int32_t ReadMailNo = 10001; // next received-mail number; recomputed after the database opens
    std::int32_t WriteMailNo = 10001; // next sent-mail number; recomputed after the database opens
    std::string QQMailID = "QRT04521"; // user ID of the operator's mailbox
    std::string QQMailName = "KIRO City";
    std::int32_t ExecOruzan = 1;
    std::int32_t SongboxRunCheckInterval = 1000;
    std::int32_t MPEGHighSpeed = 0;
    std::int32_t UserBGV = 0; // forced to 1 after loading
    std::int32_t UserBGVPiano = 0; // forced to 1 after loading
    std::int32_t CDExVolPos = 4;
    std::string PGVupStartCode;
    std::string DBVupStartCode = "0036"; // database version-up start code
    std::int32_t MailX = 0; // not read: 0 at every start; written only
    std::string LastLookVup = "1996/8/20"; // date of the last news and version-up check
    std::string Forum = "KIROFORM"; // go-word of the operator's forum
    std::string ForumDir = "KrForum";
    std::int32_t MesRoomNo = 10;
    std::int32_t VerUpRoomNo = 3; // forum room of version-up data
    std::int32_t TvDataSizeWarning = 5;
    std::int32_t ZelkovCheck = 0;
    std::int32_t Recover9712 = 1;
    std::string ResChar = "＞";
    std::int32_t NeedGetInfo = 0; // news and version-up data must be fetched at the next connection
    std::int32_t NeedGetMail = 0;
    std::int32_t UseKiroKaraCG = 0; // use the program's own pictures
    std::string PathKiroKaraCG;
    std::int32_t UseKiroKaraAVI = 0; // use the program's own videos
    std::string PathKiroKaraAVI;
    std::int32_t UseMyCG = 0; // use the user's pictures
    std::string PathMyCG;
    std::int32_t UseMyAVI = 0; // use the user's videos
    std::string PathMyAVI;

    // Section ParsonalInfo
    std::string NiftyID;
    std::string NiftyPassWord; // kept plain here, scrambled in the file
    std::string KiroPassWord; // the service's own PIN; scrambled in the file
    std::string AddrKanji;
    std::string AddrKanji2;
    std::string AddrRoma;
    std::string AddrRoma2;
    std::string CityNameKanji;
    std::string CityNameRoma;
    std::int32_t Country = 0;
    std::int32_t City = 0;
    std::string FirstNameE;
    std::string LastNameE;
    std::string MailNo; // postal code
    std::string Name = "氏名未登録";
    std::string Phone;
    std::string CopName;
    std::string CopPhone;
    std::string CopSec;
    std::int32_t Sex = 0;
    std::string Yomi;
    std::int32_t BirthYear = 0;
    std::int32_t BirthMon = 0;
    std::int32_t BirthDay = 0;
    std::int32_t CardCop = 0;
    std::string CardNo; // scrambled in the file
    std::string CardUseByDate;
    std::int32_t Gyosyu = 0;
    std::int32_t HowToKnow = 0;
    std::int32_t PCMaker = 0;
    std::string PCModel;

    // Not a key: the recipient of the version-up application mail, set at
    // every load.
    std::string OperatorUserId = kOperatorUserId;
};

} // namespace kiro::app
