// songbox: prepares one karaoke song and runs the playback engine on it.
#include "common/Process.h"
#include "common/WinPaths.h"
#include "common/qt/QtMessageBoxes.h"
#include "player/Songbox.h"

#include <iostream>
#include <memory>

#ifdef KIRO_HAVE_LZH
#include "archive/LzhExtract.h"
#endif

namespace {

std::filesystem::path programFolder(const char* argv0)
{
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        self = std::filesystem::absolute(argv0, ec);
    return self.parent_path();
}

int extractArchive(const std::filesystem::path& archive, const std::filesystem::path& folder)
{
#ifdef KIRO_HAVE_LZH
    return kiro::LzhExtractAll(archive, folder);
#else
    (void)archive;
    (void)folder;
    std::cerr << "songbox: built without the LZH extractor\n";
    return 1;
#endif
}

void runEngine(const std::filesystem::path& program, const std::vector<std::string>& arguments)
{
    auto engine = kiro::Process::start(program, arguments);
    if (!engine.valid())
        return;
    engine.setPriority(kiro::ProcessPriority::High); // refused without privileges; plays anyway
    engine.wait();
}

} // namespace

int main(int argc, char** argv)
{
    using namespace kiro::player;
    std::unique_ptr<kiro::MessageBoxes> boxes = kiro::makeMessageBoxes(argc, argv);

    TickSeededRandom random;
    SongboxSetup setup;
    setup.messages = boxes.get();
    setup.programFolder = programFolder(argv[0]);
    setup.temporaryFolder = kiro::winpaths::temporaryDirectory();
    setup.random = &random;
    setup.extract = extractArchive;
    setup.runEngine = runEngine;

    std::vector<std::string> arguments(argv + 1, argv + argc);
    Songbox songbox(std::move(setup));
    return songbox.run(parseArguments(arguments));
}
