// kiro-krd: checks, lists and rewrites KRD karaoke command files.
#include "player/KrdTool.h"

#include <iostream>

int main(int argc, char** argv)
{
    return kiro::player::runKrdTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
