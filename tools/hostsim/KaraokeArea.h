#pragma once
// The operator's karaoke area ("go KIROKARA"): a menu by number, its list,
// an item by number, and the download dialogue that sends the item's file
// with B Plus. Items whose archive is missing are answered as not ready.

#include "tools/hostsim/HostArea.h"
#include "tools/hostsim/KaraokeCatalogue.h"

#include <filesystem>
#include <optional>

namespace kiro::hostsim {

class KaraokeArea final : public HostArea {
public:
    explicit KaraokeArea(const HostConfig &config);

    AreaReply enter() override;
    AreaReply line(const std::string &text) override;
    AreaReply transferEnded(bool success, std::int64_t bytes) override;

private:
    enum class Stage { Top, Menu, Listed, Item, Protocol, FileName, Refused };

    AreaReply number(int value);
    std::string prompt() const;

    const HostConfig &m_config;
    Stage m_stage = Stage::Top;
    int m_menu = 0;
    const KaraokeCatalogue::Item *m_item = nullptr;
    std::filesystem::path m_file;
    std::string m_served;
};

} // namespace kiro::hostsim
