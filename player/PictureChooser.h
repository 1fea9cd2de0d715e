#pragma once

#include "player/ArchiveName.h"
#include "player/PictureEntry.h"

#include <cstddef>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

// Chooses the picture source of every picture row: an archive of the `pict`
// folder (by number, by name or by attributes) or one of the user's own
// bitmaps in the `user` folder.
namespace kiro::player {

// The random picks, injectable so tests can steer them.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A value in [0, count); count > 0.
    virtual std::size_t below(std::size_t count) = 0;
};

// Seeded from the millisecond tick count, as each run should differ.
class TickSeededRandom final : public RandomSource {
public:
    TickSeededRandom();
    std::size_t below(std::size_t count) override;

private:
    std::mt19937 m_engine;
};

struct ListedArchive {
    std::string fileName;
    PictureAttributes attributes{};
};

// What a request by attributes asks for, read from a row's key.
struct AttributeKey {
    PictureAttributes attributes{};
    std::array<std::uint8_t, 7> priorities{};
};

AttributeKey attributeKeyOf(const PictureEntry& row);

class PictureChooser {
public:
    // Lists "*.lzh" in `pictFolder` (names that do not begin with eight
    // archive digits cannot be matched and are left out) and "*.bmp" in
    // `userFolder`; the extension compare ignores case.
    PictureChooser(std::filesystem::path pictFolder, std::filesystem::path userFolder, RandomSource& random);

    // For tests: the listings given directly.
    PictureChooser(std::filesystem::path pictFolder, std::filesystem::path userFolder,
                   std::vector<ListedArchive> archives, std::vector<std::string> userBitmaps, RandomSource& random);

    // The number of picture requests (rows with code 1 or 6) of the song.
    void setRequestCount(std::size_t count) { m_requestCount = count; }

    const std::vector<ListedArchive>& archives() const { return m_archives; }
    const std::vector<std::string>& userBitmaps() const { return m_userBitmaps; }

    // Indices into archives() gathered for a key, in admission order.
    std::vector<std::size_t> candidatesFor(const AttributeKey& key) const;

    // pict folder + "/" + the chosen archive, or "" when nothing is listed.
    std::string chooseByAttributes(const AttributeKey& key);

    // user folder + "/" + a random bitmap, or "" when there is none.
    std::string chooseUserBitmap();

private:
    std::filesystem::path m_pictFolder;
    std::filesystem::path m_userFolder;
    std::vector<ListedArchive> m_archives;
    std::vector<std::string> m_userBitmaps;
    std::vector<std::size_t> m_handedOut;
    std::size_t m_requestCount = 0;
    RandomSource& m_random;
};

// Fills the source of every row but code 13. With `userPictures`, a random
// user bitmap; else exact and code-7 rows name their archive in
// `krdFolder`/pict (a code-7 name that holds a path separator gets no
// source: it must not reach outside that folder) and rows by attributes
// ask the chooser.
void choosePictureSources(std::vector<PictureEntry>& rows, bool userPictures,
                          const std::filesystem::path& krdFolder, PictureChooser& chooser);

} // namespace kiro::player
