#pragma once

#include "client/online/ScriptStep.h"

#include <array>
#include <filesystem>
#include <string>

namespace kiro::services {

// The two host scripts of a mail upload: entering the mail service and
// asking for an upload, then the upload with the subject and recipient
// questions. Prompts and commands are held as code page 932 bytes; the file,
// folder and recipient commands are buffers filled before the run.
class MailScripts {
public:
    static constexpr std::size_t kFieldSize = 64;
    static constexpr std::size_t kFolderSize = 4096;

    MailScripts();
    MailScripts(const MailScripts &) = delete;
    MailScripts &operator=(const MailScripts &) = delete;

    // LastOutcome of the enter script when the host waits for the upload
    // (the next one: the member may not send mail yet; 1 is the time-out).
    static constexpr int kUploadReadyOutcome = 2;
    const online::ScriptStep *MailEnterScript() const { return m_enter.data(); }
    const online::ScriptStep *MailUploadScript() const { return m_upload.data(); }

    // False when a text does not fit its buffer (nothing is cut: a cut name
    // would upload another file, a cut ID would mail someone else).
    bool fill(const std::string &fileName, const std::filesystem::path &mailFolder, const std::string &recipientId);

    const char *fileCommand() const { return m_fileCommand; }
    const char *recipientCommand() const { return m_recipientCommand; }
    const char *folderCommand() const { return m_folderCommand; }

private:
    std::string m_mailPrompt = "MAIL>";
    std::string m_colon;
    std::string m_refused;
    std::string m_uploadStart;
    std::string m_dataError;
    std::string m_abort;
    std::string m_recoveryError;
    std::string m_subject;
    char m_fileCommand[kFieldSize] = "\r";
    char m_recipientCommand[kFieldSize] = "\r";
    char m_folderCommand[kFolderSize] = "";
    std::array<online::ScriptStep, 3> m_enter{};
    std::array<online::ScriptStep, 10> m_upload{};
};

inline constexpr const char *kUserInfoMailSubject = "簡易版KIROインストール完了";

} // namespace kiro::services
