#pragma once

#include "client/db/CatalogueDb.h"

#include <filesystem>
#include <string>
#include <vector>

// The check utility rebuilds the downloaded flags of the catalogue from the
// song files really present in the install folder. The controller holds the
// dialog's logic; the Qt dialog and the batch run are views over it.
namespace kiro::check {

class CheckView {
public:
    virtual ~CheckView() = default;
    virtual void setStatusText(const std::string& text) = 0;
    virtual void setOkButton(const std::string& label, bool enabled) = 0;
    virtual void setCancelEnabled(bool enabled) = 0;
    // Shows the progress bar over 0..maximum at 0.
    virtual void showProgress(int maximum) = 0;
    virtual void advanceProgress() = 0;
    // A modal message box with the program's caption.
    virtual void message(const std::string& text) = 0;
    // Ends the dialog: 1 for the normal end, -1 for a failure.
    virtual void endDialog(int result) = 0;
};

// The files of one folder, read once: a song folder holds thousands, and
// each song asks for two or three of them by name.
class FolderListing {
public:
    explicit FolderListing(const std::filesystem::path& folder);

    // The files whose extension is `extension` (".mid") in any letter case,
    // by name; nothing when the folder is missing.
    std::vector<std::filesystem::path> withExtension(const std::string& extension) const;
    // True when a file of that name exists, in any letter case.
    bool contains(const std::string& name) const;

private:
    std::vector<std::filesystem::path> m_files; // sorted
    std::vector<std::string> m_foldedNames;     // sorted, ASCII letters in lower case
};

class CheckController {
public:
    CheckController(std::filesystem::path installFolder, CheckView& view);
    ~CheckController();
    CheckController(const CheckController&) = delete;
    CheckController& operator=(const CheckController&) = delete;

    // Opens the database; on failure shows the engine's message and the
    // open failure, ends the dialog with -1 and returns false.
    bool start();
    // The OK button: the rebuild the first time, closing the second.
    void okPressed();
    // Closes the database; called once when the dialog goes away.
    void closing();

    bool running() const { return m_running; }
    // True when an engine error stopped a pass of the rebuild.
    bool failed() const { return m_failed; }

private:
    void rebuild(const FolderListing& karaoke, const std::vector<std::filesystem::path>& midiFiles,
                 const FolderListing& cdex, const std::vector<std::filesystem::path>& mp2Files);
    void runPasses(const FolderListing& karaoke, const std::vector<std::filesystem::path>& midiFiles,
                   const FolderListing& cdex, const std::vector<std::filesystem::path>& mp2Files);
    // Runs one statement; an engine error is shown and returns false.
    bool execute(const std::string& statement);
    void markLinkTargets();

    std::filesystem::path m_install;
    std::filesystem::path m_karaoke;
    std::filesystem::path m_cdex;
    CheckView& m_view;
    db::CatalogueDb m_db;
    bool m_done = false;
    bool m_running = false;
    bool m_failed = false;
};

} // namespace kiro::check
