// kiro-empty-catalogue PATH
// Creates a catalogue file holding the empty schema, for the demo when no
// sample catalogue can be made.
#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kiro-empty-catalogue PATH\n");
        return 2;
    }
    try {
        kiro::db::CatalogueDb::createFile(argv[1]);
    } catch (const kiro::db::DbError& error) {
        std::fprintf(stderr, "kiro-empty-catalogue: %s\n", error.what());
        return 1;
    }
    return 0;
}
