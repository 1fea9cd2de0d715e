#include "client/app/SettingsKeys.h"

namespace kiro::app {

namespace {

// In the order LoadSettings reads them.
const std::vector<SettingKey> kKeys = {
    {"Setup", "SetupIsOK", SettingKind::Int, true, true, &ClientSettings::SetupIsOK},
    {"Setup", "MailToUserInfo", SettingKind::Int, true, true, &ClientSettings::MailToUserInfo},
    {"Setup", "PassWordNoCheck", SettingKind::Int, true, true, &ClientSettings::PassWordNoCheck},
    {"Setup", "ReDialTimes", SettingKind::Int, false, true, &ClientSettings::ReDialTimes},
    {"Setup", "ReDialInterval", SettingKind::Int, true, true, &ClientSettings::ReDialInterval},
    {"Setup", "ComPort", SettingKind::Int, true, true, &ClientSettings::ComPort},
    {"Setup", "PhoneType", SettingKind::Int, true, true, &ClientSettings::PhoneType},
    {"Setup", "ManualModemTest", SettingKind::Int, true, true, &ClientSettings::ManualModemTest},
    {"Setup", "ModemRegNo", SettingKind::Int, true, true, &ClientSettings::ModemRegNo},
    {"Setup", "ModemRegPos", SettingKind::Int, true, true, &ClientSettings::ModemRegPos},
    {"Setup", "SoftwareSound", SettingKind::Int, true, true, &ClientSettings::SoftwareSound},
    {"Setup", "OrderSoftSynthe", SettingKind::Int, true, true, &ClientSettings::OrderSoftSynthe},
    {"Setup", "BgmOff", SettingKind::Int, true, true, &ClientSettings::BgmOff},
    {"Setup", "ComSingle", SettingKind::Int, true, true, &ClientSettings::ComSingle},
    {"Setup", "RoadType", SettingKind::Int, true, true, &ClientSettings::RoadType},
    {"Setup", "RoadType2", SettingKind::Int, true, true, &ClientSettings::RoadType2},
    {"Setup", "BaudRate", SettingKind::DecimalText, true, true, &ClientSettings::BaudRate},
    {"Setup", "BaudRate2", SettingKind::DecimalText, true, true, &ClientSettings::BaudRate2},
    {"Setup", "AccessSpeedPos", SettingKind::Int, true, true, &ClientSettings::AccessSpeedPos},
    {"Setup", "AccessSpeedPos2", SettingKind::Int, true, true, &ClientSettings::AccessSpeedPos2},
    {"Setup", "AccessPoint", SettingKind::String, true, true, &ClientSettings::AccessPoint},
    {"Setup", "AccessPointName", SettingKind::String, true, true, &ClientSettings::AccessPointName},
    {"Setup", "AccessPoint2nd", SettingKind::String, true, true, &ClientSettings::AccessPoint2nd},
    {"Setup", "AccessPoint2ndName", SettingKind::String, true, true, &ClientSettings::AccessPoint2ndName},
    {"Setup", "ModemInit", SettingKind::String, true, true, &ClientSettings::ModemInit},
    {"Setup", "ReadMailNo", SettingKind::Int, true, true, &ClientSettings::ReadMailNo},
    {"Setup", "WriteMailNo", SettingKind::Int, true, true, &ClientSettings::WriteMailNo},
    {"Setup", "QQMailID", SettingKind::String, true, true, &ClientSettings::QQMailID},
    {"Setup", "QQMailName", SettingKind::String, true, true, &ClientSettings::QQMailName},
    {"Setup", "ExecOruzan", SettingKind::Int, true, true, &ClientSettings::ExecOruzan},
    {"Setup", "SongboxRunCheckInterval", SettingKind::Int, true, true, &ClientSettings::SongboxRunCheckInterval},
    {"Setup", "MPEGHighSpeed", SettingKind::Int, true, true, &ClientSettings::MPEGHighSpeed},
    {"Setup", "UserBGV", SettingKind::Int, true, false, &ClientSettings::UserBGV},
    {"Setup", "UserBGVPiano", SettingKind::Int, true, false, &ClientSettings::UserBGVPiano},
    {"Setup", "CDExVolPos", SettingKind::Int, true, true, &ClientSettings::CDExVolPos},
    {"Setup", "PGVupStartCode", SettingKind::String, true, false, &ClientSettings::PGVupStartCode},
    {"Setup", "DBVupStartCode", SettingKind::String, true, true, &ClientSettings::DBVupStartCode},
    {"Setup", "MailX", SettingKind::Int, false, true, &ClientSettings::MailX},
    {"Setup", "LastLookVup", SettingKind::String, true, true, &ClientSettings::LastLookVup},
    {"Setup", "Forum", SettingKind::String, true, false, &ClientSettings::Forum},
    {"Setup", "ForumDir", SettingKind::String, true, false, &ClientSettings::ForumDir},
    {"Setup", "MesRoomNo", SettingKind::Int, true, false, &ClientSettings::MesRoomNo},
    {"Setup", "VerUpRoomNo", SettingKind::Int, true, false, &ClientSettings::VerUpRoomNo},
    {"Setup", "TvDataSizeWarning", SettingKind::Int, true, true, &ClientSettings::TvDataSizeWarning},
    {"Setup", "ZelkovCheck", SettingKind::Int, true, false, &ClientSettings::ZelkovCheck},
    {"Setup", "Recover9712", SettingKind::Int, true, false, &ClientSettings::Recover9712},
    {"Setup", "ResChar", SettingKind::String, true, true, &ClientSettings::ResChar},
    {"Setup", "NeedGetInfo", SettingKind::Int, true, true, &ClientSettings::NeedGetInfo},
    {"Setup", "NeedGetMail", SettingKind::Int, true, true, &ClientSettings::NeedGetMail},
    {"Setup", "UseKiroKaraCG", SettingKind::Int, true, true, &ClientSettings::UseKiroKaraCG},
    {"Setup", "PathKiroKaraCG", SettingKind::String, true, true, &ClientSettings::PathKiroKaraCG},
    {"Setup", "UseKiroKaraAVI", SettingKind::Int, true, true, &ClientSettings::UseKiroKaraAVI},
    {"Setup", "PathKiroKaraAVI", SettingKind::String, true, true, &ClientSettings::PathKiroKaraAVI},
    {"Setup", "UseMyCG", SettingKind::Int, true, true, &ClientSettings::UseMyCG},
    {"Setup", "PathMyCG", SettingKind::String, true, true, &ClientSettings::PathMyCG},
    {"Setup", "UseMyAVI", SettingKind::Int, true, true, &ClientSettings::UseMyAVI},
    {"Setup", "PathMyAVI", SettingKind::String, true, true, &ClientSettings::PathMyAVI},
    {"ParsonalInfo", "NiftyID", SettingKind::String, true, true, &ClientSettings::NiftyID},
    {"ParsonalInfo", "NiftyPassWord", SettingKind::Scrambled, true, true, &ClientSettings::NiftyPassWord},
    {"ParsonalInfo", "KiroPassWord", SettingKind::Scrambled, true, true, &ClientSettings::KiroPassWord},
    {"ParsonalInfo", "AddrKanji", SettingKind::String, true, true, &ClientSettings::AddrKanji},
    {"ParsonalInfo", "AddrKanji2", SettingKind::String, true, true, &ClientSettings::AddrKanji2},
    {"ParsonalInfo", "AddrRoma", SettingKind::String, true, true, &ClientSettings::AddrRoma},
    {"ParsonalInfo", "AddrRoma2", SettingKind::String, true, true, &ClientSettings::AddrRoma2},
    {"ParsonalInfo", "CityNameKanji", SettingKind::String, true, true, &ClientSettings::CityNameKanji},
    {"ParsonalInfo", "CityNameRoma", SettingKind::String, true, true, &ClientSettings::CityNameRoma},
    {"ParsonalInfo", "Country", SettingKind::Int, true, true, &ClientSettings::Country},
    {"ParsonalInfo", "City", SettingKind::Int, true, true, &ClientSettings::City},
    {"ParsonalInfo", "FirstNameE", SettingKind::String, true, true, &ClientSettings::FirstNameE},
    {"ParsonalInfo", "LastNameE", SettingKind::String, true, true, &ClientSettings::LastNameE},
    {"ParsonalInfo", "MailNo", SettingKind::String, true, true, &ClientSettings::MailNo},
    {"ParsonalInfo", "Name", SettingKind::String, true, true, &ClientSettings::Name},
    {"ParsonalInfo", "Phone", SettingKind::String, true, true, &ClientSettings::Phone},
    {"ParsonalInfo", "CopName", SettingKind::String, true, true, &ClientSettings::CopName},
    {"ParsonalInfo", "CopPhone", SettingKind::String, true, true, &ClientSettings::CopPhone},
    {"ParsonalInfo", "CopSec", SettingKind::String, true, true, &ClientSettings::CopSec},
    {"ParsonalInfo", "Sex", SettingKind::Int, true, true, &ClientSettings::Sex},
    {"ParsonalInfo", "Yomi", SettingKind::String, true, true, &ClientSettings::Yomi},
    {"ParsonalInfo", "BirthYear", SettingKind::Int, true, true, &ClientSettings::BirthYear},
    {"ParsonalInfo", "BirthMon", SettingKind::Int, true, true, &ClientSettings::BirthMon},
    {"ParsonalInfo", "BirthDay", SettingKind::Int, true, true, &ClientSettings::BirthDay},
    {"ParsonalInfo", "CardCop", SettingKind::Int, true, true, &ClientSettings::CardCop},
    {"ParsonalInfo", "CardNo", SettingKind::Scrambled, true, true, &ClientSettings::CardNo},
    {"ParsonalInfo", "CardUseByDate", SettingKind::String, true, true, &ClientSettings::CardUseByDate},
    {"ParsonalInfo", "Gyosyu", SettingKind::Int, true, true, &ClientSettings::Gyosyu},
    {"ParsonalInfo", "HowToKnow", SettingKind::Int, true, true, &ClientSettings::HowToKnow},
    {"ParsonalInfo", "PCMaker", SettingKind::Int, true, true, &ClientSettings::PCMaker},
    {"ParsonalInfo", "PCModel", SettingKind::String, true, true, &ClientSettings::PCModel},
};

bool sameAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

const std::vector<SettingKey>& settingKeys()
{
    return kKeys;
}

const SettingKey* findSettingKey(std::string_view name)
{
    for (const SettingKey& key : kKeys)
        if (name == key.name)
            return &key;
    for (const SettingKey& key : kKeys)
        if (sameAscii(name, key.name))
            return &key;
    return nullptr;
}

} // namespace kiro::app
