#pragma once
// The host stand-in's forum: the operator's forum that "go <go-word>"
// enters from the member service. Non-members meet the join menu and go
// through the join dialogue; members see the forum menu, the conference
// rooms ("rm" lists a room's messages, "#n" reads one) and the data
// libraries ("DOWn n PROT:BPL" sends data n of a library with B Plus).
//
// The forum folder (--forum DIR):
//   forum.txt              "key = value" lines: go (the go-word, KIROFORM by
//                          default), title, member = ID (repeatable),
//                          room = N NAME and library = N NAME (repeatable)
//   room<N>/<number>.txt   a message of room N: "From: ID", "Date: MM/DD hh:mm"
//                          and "Title: TEXT" lines, an empty line, the body
//   lib<N>/<data>.<ext>    data number <data> of library N (any extension)
// Texts are UTF-8 (sent in code page 932) or already code page 932.

#include "tools/hostsim/TransferService.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kiro::hostsim {

struct ForumReply {
    std::string text; // code page 932
    std::optional<TransferRequest> transfer;
};

class ForumService {
public:
    explicit ForumService(std::string folder);

    bool configured() const { return !m_folder.empty(); }
    bool inside() const { return m_state != State::Outside; }
    // Whether the command (already upper-cased and with single blanks) is
    // "GO" and the forum's go-word.
    bool isGoCommand(const std::string& command) const;
    // Enters the forum's top menu for the member.
    ForumReply enter(const std::string& memberId);
    // One line typed inside the forum (as typed, and normalised); nothing
    // when the line leaves the forum (BYE, OFF, another GO): the member
    // service handles it then.
    std::optional<ForumReply> line(const std::string& typed, const std::string& command);

    // The member session ended under the forum (idle drop).
    void leave() { m_state = State::Outside; }

    // Members who joined while this stand-in runs.
    static std::set<std::string>& joinedMembers();

private:
    enum class State { Outside, Top, JoinMenu, Join1, Join2, Join3, Rooms, Room, Library, Libraries,
                       LibraryShelf, DownConfirm, DownName };

    struct Message {
        int number = 0;
        std::string from, date, title; // code page 932
        std::string body;              // lines end with CR LF
    };

    void load();
    std::string topMenu() const;
    std::string roomPrompt() const;
    std::optional<Message> readMessage(int room, int number) const;
    std::vector<Message> messages(int room) const;
    std::string listing(int room) const;
    std::optional<std::string> dataFile(int library, int data) const;
    bool isMember() const;

    std::string m_folder;
    std::string m_goWord = "KIROFORM";
    std::string m_title;
    std::set<std::string> m_members;
    std::map<int, std::string> m_rooms;
    std::map<int, std::string> m_libraries;
    State m_state = State::Outside;
    std::string m_memberId;
    int m_room = 0;
    int m_library = 0;
    std::string m_dataPath;
};

// "forum" (--forum DIR); known is false for any other key.
std::optional<std::string> applyForumSetting(const std::string& key, const std::string& value,
                                             std::string& forumDir, bool& known);

} // namespace kiro::hostsim
