#pragma once

#include "client/catalogue/DataAddress.h"
#include "client/online/ScriptStep.h"

#include <array>
#include <filesystem>
#include <string>

namespace kiro::catalogue {

// The go-word of the operator's karaoke area on the host.
inline constexpr const char *kKaraokeGoWord = "KIROKARA";

// The two host scripts of a product download: KaraokeSelectScript walks the
// karaoke area to the product's item (its last outcome: see
// kItemReadyOutcome), KaraokeDownloadScript asks for
// the file and receives it with B Plus into the mail folder. Their commands
// are the menu, item, file and folder buffers filled before each run;
// prompts are code page 932 bytes.
class KaraokeScripts {
public:
    static constexpr std::size_t kNumberSize = 8;
    static constexpr std::size_t kFileSize = 64;
    static constexpr std::size_t kFolderSize = 4096;
    // LastOutcome after a KaraokeSelectScript run that went through: the item
    // is there; above it the product is not ready (outcome 1 is the time-out).
    static constexpr int kItemReadyOutcome = 2;

    KaraokeScripts();
    KaraokeScripts(const KaraokeScripts &) = delete;
    KaraokeScripts &operator=(const KaraokeScripts &) = delete;

    const online::ScriptStep *KaraokeSelectScript() const { return m_select.data(); }
    const online::ScriptStep *KaraokeDownloadScript() const { return m_download.data(); }

    void setAddress(const DataAddress &address);
    // The name to ask the host for (UTF-8, sent in code page 932). False when
    // it does not fit the buffer, holds a line break or a character code page
    // 932 lacks; the buffer is then left as it was.
    bool setFileName(const std::string &name);
    bool setFolder(const std::filesystem::path &folder);

    const char *menuCommand() const { return m_menu; }
    const char *itemCommand() const { return m_item; }
    const char *fileCommand() const { return m_file; }
    const char *folderCommand() const { return m_folder; }

private:
    std::string m_goCommand;
    std::string m_prompt;
    std::string m_moved;
    std::string m_cardOnly;
    std::string m_registering;
    std::string m_noData;
    std::string m_enterNumber;
    std::string m_colon;
    std::string m_downloadStart;
    std::string m_abort;
    std::string m_recoveryError;
    char m_menu[kNumberSize] = "XX\r";
    char m_item[kNumberSize] = "XXXXX\r";
    char m_file[kFileSize] = "\r";
    char m_folder[kFolderSize] = "";
    std::array<online::ScriptStep, 8> m_select{};
    std::array<online::ScriptStep, 5> m_download{};
};

} // namespace kiro::catalogue
