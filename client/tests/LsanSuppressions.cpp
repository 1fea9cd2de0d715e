// Fontconfig keeps its cache until the process ends; not a leak of ours.
// (Read by LeakSanitizer at start-up.)
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\nleak:libdbus\n";
}
