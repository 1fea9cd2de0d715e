#pragma once
// The mail service ("go mail", prompt "MAIL>"): "UPL PROT:BPL TYPE:TXT"
// receives a mail text with B Plus into the upload folder, then asks for
// the send choice, subject, recipient kind, recipient ID, copies and the
// confirmation, each question ending in "：". Members given as unapproved
// are refused before the upload.

#include "tools/hostsim/HostArea.h"

namespace kiro::hostsim {

class MailArea final : public HostArea {
public:
    MailArea(const HostConfig &config, std::string memberId);

    AreaReply enter() override;
    AreaReply line(const std::string &text) override;
    AreaReply transferEnded(bool success, std::int64_t bytes) override;

private:
    enum class Stage { Menu, FileName, Uploading, SendChoice, Subject, RecipientKind, Recipient, Copies, Confirm, Done };

    const HostConfig &m_config;
    std::string m_member;
    Stage m_stage = Stage::Menu;
    std::string m_file;
    std::string m_subject;
    std::string m_recipient;
};

} // namespace kiro::hostsim
