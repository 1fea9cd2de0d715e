#include "client/app/SettingsTool.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return kiro::app::runSettingsTool(args, std::cout, std::cerr);
}
