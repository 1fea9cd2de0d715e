#pragma once

#include <string_view>

namespace kiro::db {

class CatalogueDb;

// The next received-mail and sent-mail numbers, recomputed from the mail
// table after the database opened.
struct MailNumbers {
    int readMailNo = 10001;
    int writeMailNo = 10001;
};

// Reads both numbers: n from the newest received, read mail's file name
// (sent mails: mail code), the five digits from its fourth character; 10000
// when there is none or the text holds no number there; the next number is
// n + 1. An engine error is discarded and leaves that number at 10001.
MailNumbers recomputeMailNumbers(CatalogueDb& db);

// n of one name as above ("W9810002.TXT" -> 10002).
int mailNumberOf(std::string_view name);

} // namespace kiro::db
