// The command line: what the player asked for before anything opens a window.
#pragma once

#include <string>
#include <vector>

// What the arguments ask for. `error` is the one line to print when they make no sense.
struct Options {
    bool help = false;       // print the usage and stop
    bool version = false;    // print the version and stop
    bool windowed = false;   // start in a window
    bool calm = false;       // a splash that changes its colour at most 3 times a second
    std::string error;       // empty, or what was wrong: "unknown option '--x'"
};

Options parseoptions(const std::vector<std::string> &args); // args without the program name
std::string usagetext();   // what --help prints
std::string versiontext(); // what --version prints
bool calmrequested(const char *value); // VELLMORA_CALM's value asks for a calm splash

// Reads argv and the environment into `startwindowed` and `calm`. Returns -1 when the game
// is to go on, else the status to exit with once the output is printed (0 or 2).
int commandline(int argc, char **argv);
