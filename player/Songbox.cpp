#include "player/Songbox.h"

#include "player/KrdFormat.h"
#include "player/TempFiles.h"
#include "player/TempKrd.h"

#include <cstdio>
#include <fstream>

namespace kiro::player {

std::string songboxUsageText()
{
    char versions[64];
    std::snprintf(versions, sizeof versions, "mainVersion : %03d songboxVersion : %03d ", kKrdVersion, kKrdVersion);
    return std::string("usage : songbox <fullPath KRD> [-quser]\n") + versions;
}

Songbox::Songbox(SongboxSetup setup)
    : m_setup(std::move(setup))
{
}

bool Songbox::checkHeader(const std::filesystem::path& krd)
{
    MessageBoxes& boxes = *m_setup.messages;
    std::ifstream in(krd, std::ios::binary);
    if (!in) {
        showError(boxes, krd.string() + " file not found");
        return false;
    }
    std::uint8_t start[kKrdHeaderCheckSize] = {};
    in.read(reinterpret_cast<char*>(start), sizeof start);
    const KrdHeaderCheck check = checkKrdHeader(std::span<const std::uint8_t>(start, static_cast<std::size_t>(in.gcount())));
    if (check.accepted())
        return true;
    if (!check.detailMessage.empty())
        showError(boxes, check.detailMessage);
    showError(boxes, kMsgVersionMismatch);
    return false;
}

int Songbox::run(const SongboxCommandLine& line)
{
    MessageBoxes& boxes = *m_setup.messages;
    m_pictures.clear();
    if (line.krdPath.empty()) {
        showPlain(boxes, songboxUsageText());
        return 0;
    }
    const std::filesystem::path krd = line.krdPath;
    if (!checkHeader(krd))
        return 1;

    const LoadedKrd loaded = loadKrdFile(krd);
    if (!loaded.error.empty()) {
        showError(boxes, loaded.error);
        return 1;
    }

    KrdReading reading = readKrdCommands(loaded.bytes);
    for (std::size_t i = 0; i < reading.unsupportedCommands.size(); ++i)
        showPlain(boxes, kMsgCommand128);
    if (!reading.end.complete()) {
        // Nothing has been written yet: there is nothing to clean up.
        showPlain(boxes, reading.end.message());
        return 1;
    }
    m_pictures = std::move(reading.pictures);

    // A bare file name lies in the current folder: the song's MIDI file and
    // the engine are looked for there, never along PATH.
    const std::filesystem::path krdFolder = krd.has_parent_path() ? krd.parent_path() : std::filesystem::path(".");
    PictureChooser chooser(pictureFolder(m_setup.programFolder, "pict"), pictureFolder(m_setup.programFolder, "user"),
                           *m_setup.random);
    choosePictureSources(m_pictures, line.userPictures, krdFolder, chooser);
    // Names do not depend on the copies, so a failed copy still leaves the
    // command file and the bitmaps it names in agreement.
    assignTempNames(m_pictures);
    copyToTemporaryFolder(krdFolder / krd.filename(), line.userPictures);

    const TempKrdWriting writing = writeTempKrd(loaded.bytes, m_pictures);
    const std::filesystem::path tempKrd = tempPath(kTempKrdName);
    if (!writeFileFresh(tempKrd, writing.bytes)) {
        m_setup.messages->show(tempKrd.string() + " file can not open : Maybe Disk full", "makeTempKrd");
        deleteTemporaryFiles();
        return 1;
    }
    if (!writing.ok())
        m_setup.messages->show("makeTempKrd error", "init_instance");

    std::vector<std::string> arguments{tempKrd.string()};
    if (!line.passOn.empty())
        arguments.push_back(line.passOn);
    if (m_setup.runEngine)
        m_setup.runEngine(krdFolder / kEngineName, arguments);

    deleteTemporaryFiles();
    return 0;
}

void Songbox::copyToTemporaryFolder(const std::filesystem::path& krd, bool userPictures)
{
    MessageBoxes& boxes = *m_setup.messages;
    std::filesystem::path midi = krd;
    midi.replace_extension(".mid");
    if (auto found = findFileIgnoringCase(midi.parent_path(), midi.filename().string()))
        midi = *found;
    const std::filesystem::path tempMidi = tempPath(kTempMidiName);
    if (!copyFileOver(midi, tempMidi)) {
        // Leftovers of an earlier run may be what fills the disk.
        deleteTemporaryFiles();
        if (!copyFileOver(midi, tempMidi)) {
            showPlain(boxes, kMsgMidiDiskFull);
            return;
        }
    }
    for (const PictureEntry& row : m_pictures) {
        if (row.code == 13)
            continue;
        if (userPictures) {
            if (!copyFileOver(row.source, tempPath(row.tempName + ".bmp"))) {
                showError(boxes, kMsgBmpDiskFull);
                return;
            }
        } else {
            copyArchivePicture(row);
        }
    }
}

void Songbox::copyArchivePicture(const PictureEntry& row)
{
    // Extraction and copy results are not checked: a missing picture only
    // leaves its bitmap absent, and the engine shows the song without it.
    if (row.source.empty() || !m_setup.extract)
        return;
    const std::filesystem::path archive = row.source;
    m_setup.extract(archive, m_setup.temporaryFolder);
    const std::string memberName = archive.stem().string() + ".bmp";
    if (auto member = findFileIgnoringCase(m_setup.temporaryFolder, memberName)) {
        copyFileOver(*member, tempPath(row.tempName + ".bmp"));
        std::error_code ec;
        std::filesystem::remove(*member, ec);
    }
}

bool Songbox::deleteTemporaryFiles()
{
    const TempDeletion deletion = deleteTempFiles(m_setup.temporaryFolder);
    if (!deletion.ok)
        showError(*m_setup.messages, deletion.message);
    return deletion.ok;
}

} // namespace kiro::player
