#pragma once

#include "client/app/ClientSettings.h"

#include <filesystem>
#include <string>

namespace kiro::online {
class HostSession;
}

namespace kiro::services {

// The twelve lines of the user-information mail (code page 932, each
// ending in CR LF) from the member's registration settings.
std::string userInfoMailText(const app::ClientSettings &settings);

// The mail folder of an install folder, whatever the letter case of its
// spelling on the disk.
std::filesystem::path mailFolderOf(const std::filesystem::path &installFolder);

// Sends the member's registration data to the operator's mailbox (QQMailID)
// once the caller has shown the progress window: writes the mail file under
// a new sent-mail name (advancing WriteMailNo), enters the mail service and,
// unless the host refuses the member, uploads it and answers the subject and
// recipient questions; the upload's run logs out. The file is deleted in
// every case. Returns 1 when the mail was sent, 0 otherwise.
int SendUserInfoMail(online::HostSession &session, app::ClientSettings &settings,
                     const std::filesystem::path &installFolder, const std::string &year2);

} // namespace kiro::services
