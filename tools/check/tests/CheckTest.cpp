// The check utility: the rebuild on small catalogues in temporary install
// folders, through a recording view, the Qt dialog and the real program.
#include "client/db/CatalogueDb.h"
#include "client/db/Connection.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "common/AtomicFile.h"
#include "common/tests/ShellRun.h"
#include "common/tests/TempDir.h"
#include "tools/check/CheckController.h"
#include "tools/check/CheckDialog.h"
#include "tools/check/CheckTexts.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

#include <map>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace kiro::check;

// The font cache of the system's fontconfig is never freed; those are not our
// leaks. (Read by LeakSanitizer at start-up.)
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\nleak:libdbus\n";
}

namespace {

class RecordingView final : public CheckView {
public:
    void setStatusText(const std::string& text) override { status = text; }
    void setOkButton(const std::string& label, bool enabled) override
    {
        okLabel = label;
        okEnabled = enabled;
    }
    void setCancelEnabled(bool enabled) override { cancelEnabled = enabled; }
    void showProgress(int maximum) override
    {
        progressMaximum = maximum;
        progress = 0;
    }
    void advanceProgress() override { ++progress; }
    void message(const std::string& text) override { messages.push_back(text); }
    void endDialog(int result) override { ended = result; }

    std::string status;
    std::string okLabel = kRunButton;
    bool okEnabled = true;
    bool cancelEnabled = true;
    int progressMaximum = -1;
    int progress = -1;
    std::vector<std::string> messages;
    std::optional<int> ended;
};

struct Song {
    const char* course;
    const char* code;
    const char* file;
    int downloaded;
    int linkSign;
    const char* linkProduct;
};

// An install folder with sysfile/KIRODB.MDB, karaoke/ and CDEx/.
class Install {
public:
    explicit Install(const std::string& tag)
        : m_dir("check-" + tag)
        , root(m_dir.path)
    {
        fs::create_directories(root / "sysfile");
        fs::create_directories(root / "karaoke");
        fs::create_directories(root / "CDEx");
        database = root / "sysfile" / "KIRODB.MDB";
    }
    void catalogue(const std::vector<Song>& songs)
    {
        kiro::db::CatalogueDb::createFile(database);
        kiro::db::CatalogueDb db;
        db.openOrThrow(database);
        for (const Song& song : songs)
            db.execute(kiro::db::fillStatement(
                "INSERT INTO 商品マスタ (コースコード, 商品コード, ファイル名, ダウンロード済みフラグ, リンクサイン, リンク先コース, リンク先商品) "
                "VALUES (\"%s\", \"%s\", \"%s\", %d, %d, \"050\", \"%s\")",
                {song.course, song.code, song.file, song.downloaded, song.linkSign, song.linkProduct}));
    }

    void files(const std::string& folder, const std::vector<std::string>& names)
    {
        for (const std::string& name : names)
            ASSERT_TRUE(kiro::writeFileAtomically(root / folder / name, "x").empty());
    }

    // Product code -> downloaded flag.
    std::map<std::string, int> flags()
    {
        kiro::db::CatalogueDb db;
        db.openOrThrow(database);
        kiro::db::Recordset rows(db);
        rows.open("SELECT 商品コード, ダウンロード済みフラグ FROM 商品マスタ", kiro::db::Recordset::kReadOnly);
        std::map<std::string, int> out;
        for (; !rows.isEOF(); rows.moveNext())
            out[kiro::db::FieldToText(rows.fieldValue("商品コード"))] =
                std::stoi(kiro::db::FieldToText(rows.fieldValue("ダウンロード済みフラグ")));
        return out;
    }

private:
    TempDir m_dir;

public:
    fs::path root;
    fs::path database;
};

} // namespace

TEST(Check, RebuildsFlagsFromTheFilesOnTheDisk)
{
    Install install("full");
    install.catalogue({
        {"010", "A1", "KR00001", 0, 0, ""},   // MIDI and KRD in other letter cases
        {"010", "A2", "KR00002", 1, 0, ""},   // MIDI without KRD: no longer downloaded
        {"010", "A3", "it's", 0, 0, ""},      // a quote in the file name
        {"010", "A4", "KR00004", 1, 0, ""},   // nothing on the disk
        {"050", "S1", "SET1", 0, 1, ""},      // a set: one of its songs is on the disk
        {"050", "M1", "KR00005", 0, 2, "S1"},
        {"050", "S2", "SET2", 1, 1, ""},      // a set none of whose songs is there
        {"050", "M2", "KR00006", 0, 2, "S2"},
        {"020", "C1", "CD001", 0, 0, ""},     // MP2 with text and bitmap
        {"020", "C2", "CD002", 1, 0, ""},     // MP2 with text, bitmap missing
    });
    install.files("karaoke", {"kr00001.MID", "KR00001.krd", "KR00002.mid", "it's.mid", "it's.KRD", "KR00005.Mid",
                              "kr00005.krd", "KR00006.krd", "notes.txt"});
    install.files("CDEx", {"CD001.MP2", "cd001.TXT", "CD001.bmp", "CD002.mp2", "CD002.txt"});

    RecordingView view;
    CheckController check(install.root, view);
    ASSERT_TRUE(check.start());
    check.okPressed();
    EXPECT_TRUE(view.messages.empty()) << view.messages.front();
    EXPECT_FALSE(check.failed());
    EXPECT_EQ(view.progressMaximum, 4);
    EXPECT_EQ(view.progress, 4);
    EXPECT_EQ(view.status, kDoneText);
    EXPECT_EQ(view.okLabel, kEndButton);
    EXPECT_TRUE(view.okEnabled);
    EXPECT_FALSE(view.cancelEnabled);
    EXPECT_FALSE(view.ended);
    EXPECT_EQ(install.flags(), (std::map<std::string, int>{{"A1", 1}, {"A2", 0}, {"A3", 1}, {"A4", 0}, {"S1", 1},
                                                          {"M1", 1}, {"S2", 0}, {"M2", 0}, {"C1", 1}, {"C2", 0}}));

    // The second press closes normally.
    check.okPressed();
    EXPECT_EQ(view.ended, 1);
}

TEST(Check, Mp2SongsOnlyStillResetEverything)
{
    Install install("mp2");
    install.catalogue({{"010", "A1", "KR00001", 1, 0, ""}, {"020", "C1", "CD001", 0, 0, ""}});
    fs::remove_all(install.root / "karaoke");
    fs::rename(install.root / "CDEx", install.root / "cdex");
    install.files("cdex", {"CD001.mp2", "CD001.txt", "CD001.bmp"});

    RecordingView view;
    CheckController check(install.root, view);
    ASSERT_TRUE(check.start());
    check.okPressed();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(view.progressMaximum, 0);
    EXPECT_EQ(view.status, kDoneText);
    EXPECT_EQ(install.flags(), (std::map<std::string, int>{{"A1", 0}, {"C1", 1}}));
}

TEST(Check, NoSongsOnTheDiskEndsWithoutTouchingTheFlags)
{
    Install install("none");
    install.catalogue({{"010", "A1", "KR00001", 1, 0, ""}});
    install.files("karaoke", {"KR00001.krd"});
    RecordingView view;
    CheckController check(install.root, view);
    ASSERT_TRUE(check.start());
    check.okPressed();
    EXPECT_EQ(view.messages, std::vector<std::string>{kNoSongs});
    EXPECT_EQ(view.ended, -1);
    EXPECT_EQ(install.flags(), (std::map<std::string, int>{{"A1", 1}}));
}

TEST(Check, DatabaseThatCannotBeOpenedIsReported)
{
    Install install("open");
    {
        RecordingView view;
        CheckController check(install.root, view);
        EXPECT_FALSE(check.start());
        ASSERT_EQ(view.messages.size(), 2u);
        EXPECT_NE(view.messages[0].find("Kirodb.mdb"), std::string::npos) << view.messages[0];
        EXPECT_EQ(view.messages[1], kOpenFailed);
        EXPECT_EQ(view.ended, -1);
    }
    // A file keyed with another password is refused and left as it was.
    kiro::db::CatalogueDb::createFile(install.database, "other");
    const std::string before = fileText(install.database);
    RecordingView view;
    CheckController check(install.root, view);
    EXPECT_FALSE(check.start());
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1], kOpenFailed);
    EXPECT_EQ(fileText(install.database), before);
}

TEST(Check, EngineErrorStopsTheRemainingPassesAndKeepsTheOldFlags)
{
    Install install("engine");
    install.catalogue({{"010", "A1", "KR00001", 1, 0, ""}, {"010", "B1", "BAD", 0, 0, ""},
                       {"020", "C1", "CD001", 0, 0, ""}});
    {
        // The engine refuses to mark one song.
        kiro::db::CatalogueDb db;
        db.openOrThrow(install.database);
        db.connection()->execRaw("CREATE TRIGGER refuse BEFORE UPDATE ON 商品マスタ WHEN NEW.ファイル名 = 'BAD' "
                                 "AND NEW.ダウンロード済みフラグ = 1 BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    }
    install.files("karaoke", {"BAD.mid", "BAD.krd"});
    install.files("CDEx", {"CD001.mp2", "CD001.txt", "CD001.bmp"});
    RecordingView view;
    CheckController check(install.root, view);
    ASSERT_TRUE(check.start());
    check.okPressed();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find("refused"), std::string::npos) << view.messages[0];
    EXPECT_TRUE(check.failed());
    EXPECT_EQ(view.status, kDoneText);
    // Nothing of the stopped run is kept: A1 is not unmarked, C1 not marked.
    EXPECT_EQ(install.flags(), (std::map<std::string, int>{{"A1", 1}, {"B1", 0}, {"C1", 0}}));
}

TEST(Check, CatalogueWithoutTheProductTableIsReported)
{
    Install install("table");
    kiro::db::Connection::create(install.database, kiro::db::CatalogueDb::kPassword)->execRaw("CREATE TABLE other (x)");
    install.files("karaoke", {"KR00001.mid", "KR00001.krd"});
    RecordingView view;
    CheckController check(install.root, view);
    ASSERT_TRUE(check.start());
    check.okPressed();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find("商品マスタ"), std::string::npos) << view.messages[0];
    EXPECT_EQ(view.progress, 0); // the MIDI pass did not run
}

TEST(CheckDialog, RunsThenClosesOnTheSecondPress)
{
    static int argc = 1;
    static char name[] = "check_tests";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);

    Install install("dialog");
    install.catalogue({{"010", "A1", "KR00001", 0, 0, ""}});
    install.files("karaoke", {"KR00001.mid", "KR00001.krd"});

    CheckDialog dialog(install.root);
    dialog.setQuiet(true);
    EXPECT_EQ(dialog.windowTitle(), "Check");
    EXPECT_EQ(dialog.okButton()->text(), "実行");
    EXPECT_TRUE(dialog.progressBar()->isHidden());
    ASSERT_TRUE(dialog.controller().start());
    dialog.show();
    dialog.okButton()->click();
    EXPECT_FALSE(dialog.progressBar()->isHidden());
    EXPECT_EQ(dialog.progressBar()->maximum(), 1);
    EXPECT_EQ(dialog.progressBar()->value(), 1);
    EXPECT_EQ(dialog.statusLabel()->text().toStdString(), kDoneText);
    EXPECT_EQ(dialog.okButton()->text(), "終了");
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    EXPECT_FALSE(dialog.cancelButton()->isEnabled());
    EXPECT_TRUE(dialog.isVisible());
    dialog.okButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_TRUE(dialog.messages().empty());
    EXPECT_EQ(install.flags(), (std::map<std::string, int>{{"A1", 1}}));
}

// Without a display the dialog's question is asked on the console; nothing
// may wait for a window nobody can see.
TEST(CheckProgram, WithoutADisplayAsksOnTheConsole)
{
    Install install("console");
    install.catalogue({{"010", "A1", "KR00001", 0, 0, ""}, {"010", "A2", "KR00002", 1, 0, ""}});
    install.files("karaoke", {"KR00001.mid", "KR00001.krd"});
    const std::string cd = "cd '" + install.root.string() + "' && ";
    const std::string program = "KIRO_MESSAGES=stderr timeout 60 '" KIRO_BIN_DIR "/check'";

    ShellOutcome declined = runShell(cd + program + " </dev/null 2>&1");
    EXPECT_EQ(declined.status, 0);
    EXPECT_NE(declined.output.find(kIntroText), std::string::npos) << declined.output;
    EXPECT_EQ(install.flags(), (std::map<std::string, int>{{"A1", 0}, {"A2", 1}}));

    ShellOutcome accepted = runShell(cd + "echo y | " + program + " 2>/dev/null");
    EXPECT_EQ(accepted.status, 0);
    EXPECT_EQ(accepted.output, std::string(kDoneText) + "\n");
    EXPECT_EQ(install.flags(), (std::map<std::string, int>{{"A1", 1}, {"A2", 0}}));
}

TEST(CheckProgram, BatchRunsInTheCurrentFolder)
{
    Install install("batch");
    install.catalogue({{"010", "A1", "KR00001", 0, 0, ""}, {"010", "A2", "KR00002", 1, 0, ""}});
    install.files("karaoke", {"KR00001.mid", "KR00001.krd"});
    const std::string cd = "cd '" + install.root.string() + "' && ";
    const std::string program = "'" KIRO_BIN_DIR "/check' --batch";

    ShellOutcome done = runShell(cd + program + " 2>/dev/null");
    EXPECT_EQ(done.status, 0);
    EXPECT_EQ(done.output, std::string(kDoneText) + "\n");
    EXPECT_EQ(install.flags(), (std::map<std::string, int>{{"A1", 1}, {"A2", 0}}));

    fs::remove(install.root / "karaoke" / "KR00001.mid");
    ShellOutcome none = runShell(cd + program + " 2>&1");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.output.find(std::string("Check: ") + kNoSongs), std::string::npos) << none.output;

    fs::remove(install.database);
    ShellOutcome missing = runShell(cd + program + " 2>&1");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find(std::string("Check: ") + kOpenFailed), std::string::npos) << missing.output;

    ShellOutcome usage = runShell(cd + "'" KIRO_BIN_DIR "/check' --bogus 2>&1");
    EXPECT_EQ(usage.status, 2);
}
