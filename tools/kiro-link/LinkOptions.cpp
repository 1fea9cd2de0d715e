#include "tools/kiro-link/LinkOptions.h"

#include <charconv>

namespace kiro::link {

std::optional<std::string> parseLinkOptions(const std::vector<std::string> &args, LinkOptions &options)
{
    std::size_t i = 0;
    auto value = [&](const std::string &name) -> std::optional<std::string> {
        if (i + 1 >= args.size())
            return std::nullopt;
        (void)name;
        return args[++i];
    };
    for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
        const std::string &name = args[i];
        auto v = value(name);
        if (!v)
            return "option " + name + " needs a value";
        if (name == "--windir") {
            options.windir = *v;
        } else if (name == "--install") {
            options.install = *v;
        } else if (name == "--press-when") {
            options.pressWhen = *v;
        } else if (name == "--tick-ms") {
            int ms = 0;
            const auto [ptr, ec] = std::from_chars(v->data(), v->data() + v->size(), ms);
            if (ec != std::errc() || ptr != v->data() + v->size() || ms < 1 || ms > 60000)
                return "--tick-ms needs a number of milliseconds from 1 to 60000";
            options.tickMs = ms;
        } else {
            return "unknown option " + name;
        }
    }
    if (i >= args.size())
        return std::string("no command given");
    options.command = args[i++];
    if (options.command == "login" || options.command == "modem-test" || options.command == "versionup") {
        if (i < args.size())
            return "unexpected argument " + args[i];
        return std::nullopt;
    }
    if (options.command == "run") {
        if (i >= args.size())
            return std::string("run needs a script file");
        options.script = args[i++];
        for (; i < args.size(); ++i) {
            if (args[i] == "--logout")
                options.logout = true;
            else
                return "unexpected argument " + args[i];
        }
        return std::nullopt;
    }
    if (options.command == "receive") {
        for (; i < args.size(); ++i) {
            if (args[i] != "--course" || i + 1 >= args.size())
                return "unexpected argument " + args[i];
            const std::string &v = args[++i];
            int course = 0;
            const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), course);
            if (ec != std::errc() || ptr != v.data() + v.size() || course < 1 || course > 999)
                return "--course needs a course number from 1 to 999";
            options.course = course;
        }
        return std::nullopt;
    }
    return "unknown command " + options.command;
}

std::string linkUsage()
{
    return "usage: kiro-link [--windir DIR] [--install DIR] [--tick-ms N] [--press-when TEXT] COMMAND\n"
           "commands:\n"
           "  login                  connect, log in, log out (exit 0 on success)\n"
           "  modem-test             run the modem test (exit 0 when the modem answered)\n"
           "  run SCRIPT.json [--logout]\n"
           "                         run a job script; captures are printed afterwards\n"
           "  versionup              fetch the forum's update list, download the pending updates\n"
           "                         (catalogue: sysfile/KIRODB.MDB of the install folder)\n"

           "  receive [--course N]   download the reserved products of the course (10 by default)\n"
           "                         from the install folder's catalogue; ends with\n"
           "                         \"downloaded N cancelled M\" (exit 0 when the job ran without error)\n";
}

} // namespace kiro::link
