#pragma once

#include <cstdint>

namespace kiro::db {

class CatalogueDb;

struct SampleOptions {
    int products = 2000;     // course 10 products; course 50 gets a tenth as many sets and singles,
                             // course 20 a twentieth as many songs
    std::uint64_t seed = 1;
    // Every so many course-10 songs and course-50 sets are marked as already
    // on the disk (0: none); kiro-demo-content --songs writes their files.
    int downloadedEvery = 50;
};

struct SampleSummary {
    int course10 = 0;
    int course50 = 0; // sets, their songs and single products
    int course20 = 0;
    int downloaded = 0; // products marked as on the disk
    int groupRows = 0;
    int accessPoints = 0;
};

// Fills an empty catalogue with invented demo content: titles and singers
// with half-width katakana readings, roman spellings and the index codes of
// the reading-index tabs, genres, groups of both group modes, course 10
// songs, course 50 sets with their songs, course 20 songs, some products
// already downloaded, prices, data addresses, access
// points with road types and classes. The same seed gives the same file
// content. Throws DbError.
SampleSummary writeSampleCatalogue(CatalogueDb& db, const SampleOptions& options);

// The two-character index code of a reading or spelling: "00".."09" by the
// first half-width katakana (あ..わ rows), "50".."57" by the first Latin
// letter, "99" for anything else.
const char* readingIndexCode(const char* text);

} // namespace kiro::db
