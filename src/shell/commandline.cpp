// The command line, read GNU style before anything opens a window.
#include "shell/commandline.h"

#include <cstdlib>

#include "shell/platform.h"
#include "shell/shell.h"

#ifndef VELLMORA_VERSION
#define VELLMORA_VERSION "unknown"
#endif

namespace {

struct LongOption {
    const char *name;
    bool Options::*flag;
    bool value;
};

// --fullscreen clears the flag --windowed sets: the last one given wins.
const LongOption LONG_OPTIONS[] = {
    {"help", &Options::help, true},         {"version", &Options::version, true},
    {"windowed", &Options::windowed, true}, {"fullscreen", &Options::windowed, false},
    {"calm", &Options::calm, true},
};

// GNU getopt accepts any unambiguous beginning of a long option's name.
const LongOption *findlong(const std::string &name, bool &ambiguous)
{
    const LongOption *found = nullptr;
    ambiguous = false;
    for (const LongOption &o : LONG_OPTIONS) {
        const std::string full = o.name;
        if (full == name)
            return &o;
        if (full.compare(0, name.size(), name) == 0) {
            ambiguous = found != nullptr;
            found = &o;
        }
    }
    return ambiguous ? nullptr : found;
}

std::string readlong(Options &o, const std::string &arg)
{
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    bool ambiguous = false;
    const LongOption *opt = name.empty() ? nullptr : findlong(name, ambiguous);
    if (ambiguous)
        return "option '" + arg + "' is ambiguous";
    if (!opt)
        return "unknown option '" + arg + "'";
    if (eq != std::string::npos)
        return "option '--" + std::string(opt->name) + "' takes no argument";
    o.*(opt->flag) = opt->value;
    return std::string();
}

std::string readshort(Options &o, const std::string &arg)
{
    for (size_t i = 1; i < arg.size(); ++i) {
        if (arg[i] != 'w')
            return std::string("unknown option '-") + arg[i] + "'";
        o.windowed = true;
    }
    return std::string();
}

} // namespace

Options parseoptions(const std::vector<std::string> &args)
{
    Options o;
    bool optionsended = false;
    for (const std::string &arg : args) {
        if (!optionsended && arg == "--") {
            optionsended = true;
            continue;
        }
        std::string error;
        if (optionsended || arg.size() < 2 || arg[0] != '-')
            error = "unexpected argument '" + arg + "'";
        else if (arg[1] == '-')
            error = readlong(o, arg);
        else
            error = readshort(o, arg);
        if (!error.empty()) {
            o.error = error;
            return o;
        }
    }
    return o;
}

std::string usagetext()
{
    return "Usage: vellmora [OPTION]...\n"
           "A short art game about a conversation that slowly goes wrong.\n"
           "\n"
           "  -w, --windowed    start in a window\n"
           "      --fullscreen  start full screen (the default)\n"
           "      --calm        let the opening splash change its colour at most three\n"
           "                    times a second; VELLMORA_CALM=1 does the same\n"
           "      --help        show this help and exit\n"
           "      --version     show the version and exit\n"
           "\n"
           "Alt+Enter or F11 switches between full screen and a window while playing.\n"
           "Warning: by default the opening splash changes its colour at every frame,\n"
           "which may affect players with photosensitive epilepsy; --calm avoids it.\n";
}

std::string versiontext()
{
    return std::string("vellmora ") + VELLMORA_VERSION + "\n";
}

bool calmrequested(const char *value)
{
    return value && *value && std::string(value) != "0";
}

int commandline(int argc, char **argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    const Options o = parseoptions(args);
    if (!o.error.empty()) {
        platform_say("vellmora: " + o.error + "; see 'vellmora --help'\n", true);
        return 2;
    }
    if (o.help || o.version) {
        platform_say(o.help ? usagetext() : versiontext(), false);
        return 0;
    }
    startwindowed = o.windowed;
    calm = o.calm || calmrequested(std::getenv("VELLMORA_CALM"));
    return -1;
}
