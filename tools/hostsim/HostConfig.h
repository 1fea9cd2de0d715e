#pragma once

#include "tools/hostsim/TransferService.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kiro::hostsim {

class KaraokeCatalogue;

// Everything that shapes the service's behaviour. Built from the
// configuration file first and the command line second.
struct HostConfig {
    int port = 0;  // 0 = any free port
    int road = 5;  // 5: "HOST NAME?" access network; 7: "Login:" access network
    std::map<std::string, std::string> members; // upper-cased user ID -> password
    std::set<std::string> loggedIn;             // upper-cased IDs already online
    std::chrono::milliseconds idleWarn{0};      // 0 = never warn
    std::chrono::milliseconds idleDrop{120000}; // after the warning
    std::string contentDir;
    std::string forumDir; // the operator's forum (ForumService.h); empty = none
    TransferSettings transfer; // B Plus: the host's parameters, line faults
    // The karaoke area and the mail service.
    std::string cataloguePath;                 // products served by data address
    std::string dbPassword;                    // empty: the client's own
    std::string karaokeRefuse;                 // "", "card" or "registering"
    std::set<std::string> unapproved;          // upper-cased IDs that may not send mail
    std::shared_ptr<const KaraokeCatalogue> karaoke; // read from cataloguePath by loadKaraoke
};

// Reads the catalogue named by cataloguePath (if any) into config.karaoke.
std::optional<std::string> loadKaraoke(HostConfig &config);

// Reads "key = value" lines ('#' and ';' start comments). Keys: port, road,
// member (ID:PASSWORD, repeatable), logged-in, idle-warn, idle-drop, content,
// forum, catalogue, db-password, karaoke-refuse, unapproved (repeatable).
// Returns an error message, or nothing on success.
std::optional<std::string> loadConfigFile(const std::string &path, HostConfig &config);

// Parses the command line (without argv[0]); --config FILE is read where it
// appears, so later options override it. Returns an error message or nothing.
std::optional<std::string> parseArguments(const std::vector<std::string> &args, HostConfig &config);

std::string usage();

} // namespace kiro::hostsim
