// kiro-db: the maintainer's shell over the catalogue database.
#include "client/db/CatalogueDb.h"
#include "client/db/Compaction.h"
#include "client/db/CompactionRecovery.h"
#include "client/db/DbError.h"
#include "client/db/PendingUpdates.h"
#include "client/db/Statements.h"
#include "client/db/Recordset.h"
#include "client/db/SampleCatalogue.h"
#include "client/db/UpdateScript.h"
#include "common/FileNames.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace kiro::db;

constexpr int kUsageError = 2;

int usage(const std::string& problem = {}, std::ostream& to = std::cerr)
{
    if (!problem.empty())
        to << "kiro-db: " << problem << "\n";
    to << "usage: kiro-db [--password PWD] COMMAND ...\n"
                 "  create PATH                              new empty catalogue\n"
                 "  sample PATH [--products N] [--seed S]    new demo catalogue\n"
                 "  query PATH SQL                           run a Jet SELECT, print tab-separated rows\n"
                 "  exec PATH SQL                            run any other Jet statement, print rows changed\n"
                 "  script PATH SCRIPTFILE                   run an update script (log: ./SqlError.Log)\n"
                 "  compact PATH                             compact the file in place\n"
                 "  apply INSTALL_DIR                        apply the received updates as the client does\n"
                 "                                           at start (catalogue: INSTALL_DIR/sysfile/KIRODB.MDB)\n";
    return kUsageError;
}

// Every command that opens a catalogue first cleans up after a compaction
// that was killed, as the client's start-up does.
void openCatalogue(CatalogueDb& db, const std::string& path)
{
    switch (recoverInterruptedCompaction(path, db.password())) {
    case CompactionRecovery::RestoredBackup:
        std::cerr << "kiro-db: an interrupted compaction was undone; " << path << " is the backup again\n";
        break;
    case CompactionRecovery::Unrecoverable:
        std::cerr << "kiro-db: an interrupted compaction left neither " << path << " nor " << kCompactBackupName
                  << " openable; both are left as they are\n";
        break;
    default:
        break;
    }
    db.openOrThrow(path);
}

bool parseNumber(const std::string& text, unsigned long long& out)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

int create(const std::string& path, const std::string& password)
{
    CatalogueDb::createFile(path, password);
    return 0;
}

int sample(const std::vector<std::string>& args, const std::string& password)
{
    SampleOptions options;
    for (size_t i = 2; i < args.size(); i += 2) {
        unsigned long long value = 0;
        if (i + 1 >= args.size() || !parseNumber(args[i + 1], value))
            return usage("sample: " + args[i] + " needs a number");
        if (args[i] == "--products" && value >= 1 && value <= 10000000)
            options.products = static_cast<int>(value);
        else if (args[i] == "--seed")
            options.seed = value;
        else
            return usage("sample: unknown or out-of-range option " + args[i]);
    }
    const auto start = std::chrono::steady_clock::now();
    CatalogueDb::createFile(args[1], password);
    CatalogueDb db(password);
    openCatalogue(db, args[1]);
    const SampleSummary s = writeSampleCatalogue(db, options);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d course-10 products, %d course-20 products, %d course-50 products (%d on the disk), %d group rows, "
                "%d access points in %.2f s\n",
                s.course10, s.course20, s.course50, s.downloaded, s.groupRows, s.accessPoints, seconds);
    return 0;
}

int query(const std::string& path, const std::string& sql, const std::string& password)
{
    CatalogueDb db(password);
    openCatalogue(db, path);
    Recordset rs(db);
    rs.open(sql, Recordset::kReadOnly);
    std::string line;
    for (int i = 0; i < rs.fieldCount(); ++i) {
        if (i)
            line.push_back('\t');
        line += rs.fieldName(i);
    }
    std::cout << line << "\n";
    for (; !rs.isEOF(); rs.moveNext()) {
        line.clear();
        for (int i = 0; i < rs.fieldCount(); ++i) {
            if (i)
                line.push_back('\t');
            line += FieldToText(rs.fieldValue(i));
        }
        std::cout << line << "\n";
    }
    return 0;
}

int exec(const std::string& path, const std::string& sql, const std::string& password)
{
    CatalogueDb db(password);
    openCatalogue(db, path);
    std::cout << db.execute(sql) << "\n";
    return 0;
}

int script(const std::string& path, const std::string& scriptFile, const std::string& password)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(scriptFile, ec)) {
        std::cerr << "kiro-db: " << scriptFile
                  << (std::filesystem::exists(scriptFile, ec) ? " is not a file" : " does not exist")
                  << "; nothing was changed\n";
        return 1;
    }
    CatalogueDb db(password);
    openCatalogue(db, path);
    if (RunUpdateScript(scriptFile, db) != 0) {
        std::cerr << "kiro-db: the update script failed; see " << kUpdateLogName << "\n";
        return 1;
    }
    return 0;
}

int compact(const std::string& path, const std::string& password)
{
    CatalogueDb db(password);
    openCatalogue(db, path);
    switch (compactWithoutQuestions(db)) {
    case CompactionResult::Compacted:
        return 0;
    case CompactionResult::Cancelled:
    case CompactionResult::CloseFailed:
        std::cerr << "kiro-db: the database could not be closed for compaction\n";
        return 1;
    case CompactionResult::FailedKeptOriginal:
        std::cerr << "kiro-db: compaction failed; the database is unchanged\n";
        return 1;
    case CompactionResult::FailedNotReopened:
        std::cerr << "kiro-db: compaction failed; the original file is back but does not open\n";
        return 1;
    case CompactionResult::FailedNotRestored:
        std::cerr << "kiro-db: compaction failed; the original is left as " << kCompactBackupName << "\n";
        return 1;
    }
    return 1;
}

// The received updates not yet applied, as "D0036 01".
std::vector<std::string> pendingUpdates(CatalogueDb& db)
{
    std::vector<std::string> keys;
    Recordset rs(db);
    rs.open(statements::kSelectPendingUpdates, Recordset::kReadOnly);
    for (; !rs.isEOF(); rs.moveNext())
        keys.push_back(FieldToText(rs.fieldValue("アップデートタイプ")) + FieldToText(rs.fieldValue("アップデートコード")) +
                       " " + FieldToText(rs.fieldValue("モジュールコード")));
    return keys;
}

int applyUpdates(const std::string& folder, const std::string& password)
{
    const std::filesystem::path install = std::filesystem::absolute(folder);
    const auto file = kiro::filenames::findUnder(install, "sysfile/" + std::string(CatalogueDb::kFileName));
    if (!file) {
        std::cerr << "kiro-db: no catalogue in " << install.string() << "/sysfile\n";
        return 1;
    }
    CatalogueDb db(password);
    openCatalogue(db, file->string());
    const std::vector<std::string> before = pendingUpdates(db);
    if (before.empty()) {
        std::printf("no received updates to apply\n");
        return 0;
    }
    const int failure = ApplyPendingUpdates(db, UpdateEnvironment::standard(install));
    const std::vector<std::string> after = pendingUpdates(db);
    const std::set<std::string> left(after.begin(), after.end());
    // The run stops at the first failure: that update failed, later ones
    // were not tried.
    bool failedShown = false;
    for (const std::string& update : before) {
        const char* result = "applied";
        if (left.count(update)) {
            result = failedShown ? "not tried" : "failed";
            failedShown = true;
        }
        std::printf("%s: %s\n", update.c_str(), result);
    }
    if (failure)
        std::cerr << "kiro-db: an update failed; it stays pending (see " << (install / kUpdateLogName).string() << ")\n";
    return failure ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string password(CatalogueDb::kPassword);
    if (!args.empty() && args[0] == "--password") {
        if (args.size() < 2)
            return usage("--password needs a value");
        password = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty())
        return usage();
    if (args[0] == "--help" || args[0] == "-h") {
        usage({}, std::cout);
        return 0;
    }
    const std::string& command = args[0];
    try {
        if (command == "create" && args.size() == 2)
            return create(args[1], password);
        if (command == "sample" && args.size() >= 2)
            return sample(args, password);
        if (command == "query" && args.size() == 3)
            return query(args[1], args[2], password);
        if (command == "exec" && args.size() == 3)
            return exec(args[1], args[2], password);
        if (command == "script" && args.size() == 3)
            return script(args[1], args[2], password);
        if (command == "compact" && args.size() == 2)
            return compact(args[1], password);
        if (command == "apply" && args.size() == 2)
            return applyUpdates(args[1], password);
    } catch (const DbError& e) {
        std::cerr << "kiro-db: error " << e.code() << ": " << e.what() << "\n";
        return 1;
    }
    return usage("bad command or arguments: " + command);
}
