#pragma once
// The forum's texts about updates, read without any I/O: the message list
// that "rm" prints in fixed columns, and the body of one update message.
// Both come in code page 932 exactly as captured; columns count bytes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiro::services {

// Walks captured host text line by line. A line's text ends at CR, LF or
// 0x1A; moving on skips the rest of the line and then CR and LF bytes, but
// stops at a second CR so that an empty line counts as a line. The text
// ends at its first NUL.
class HostTextLines {
public:
    explicit HostTextLines(std::string_view text);

    bool atEnd() const { return m_pos >= m_text.size(); }
    // The current line's text (empty at the end).
    std::string_view line() const;
    // Everything from the start of the current line.
    std::string_view rest() const { return m_text.substr(m_pos); }
    // Everything after the current line's text (its line end included).
    std::string_view afterLine() const { return m_text.substr(m_pos + line().size()); }
    void next();

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// One line of the message list.
struct UpdateListEntry {
    int messageNumber = 0;
    std::string dateTime; // 11 characters, "MM/DD hh:mm"
    char type = ' ';
    std::string code;     // 4 characters
    char flag = ' ';      // "E": shown to the user
};

// The list lines of a captured "rm" reply: the first three lines (the
// echo and the headings) are skipped, then every line that begins with a
// blank or a digit belongs to the list until the first other line. Lines
// too short for the columns, without a message number or with a code that
// is not four letters or digits are left out.
std::vector<UpdateListEntry> parseUpdateList(std::string_view captured);

// Whether the list line announces an update this client takes: a database
// update ("D") whose code is not below the start code (compared as text).
bool isWantedDatabaseUpdate(const UpdateListEntry& entry, std::string_view startCode);

// Texts of a message body, converted to UTF-8.
struct UpdateFileLine {
    std::string address; // "room,data"
    std::string folder;  // without a trailing backslash
};

struct UpdateModuleText {
    int position = 0; // in the message, from 1, counting modules left out
    std::string description;
    std::string version;
    std::vector<UpdateFileLine> files;
};

// The forum's prompt after a message, "\r\n電子会議 (改行のみ:" in code page
// 932; the body ends where it begins.
const std::string& forumMessagePrompt();

// The modules of a captured message body: after three lines, each module is
// a description line (empty: the message ends), a version line and pairs of
// address and folder lines up to an empty address line. A module the text
// breaks off in, and one without files, is left out: it could never be
// received whole; the modules after it keep their positions. cutShort: the
// capture filled its buffer, so its last line may be cut off and lines after
// it lost; the module the text ends in is left out as well.
std::vector<UpdateModuleText> parseUpdateMessage(std::string_view captured, bool cutShort = false);

// An address split at its last comma into room and data number; nothing
// when either side is not a number.
struct DataAddress {
    int room = 0;
    int data = 0;
};
std::optional<DataAddress> splitDataAddress(std::string_view address);

// Whether a folder line, once the install-folder token is resolved, stays
// inside the install folder (no drive, no leading separator, no "..").
bool folderStaysInside(std::string_view folder);

} // namespace kiro::services
