// The music's directory: the first place, in a platform's order, that holds xm/bg.xm.
#include "shell/platform.h"

#include <unistd.h>

static bool holdsmodule(const std::string &dir)
{
    return access((dir + "/" + MODULE_PATH).c_str(), R_OK) == 0;
}

void enterdatadir(const std::vector<std::string> &candidates)
{
    if (access(MODULE_PATH, R_OK) == 0)
        return;
    for (const std::string &dir : candidates) {
        if (!dir.empty() && holdsmodule(dir) && chdir(dir.c_str()) == 0)
            return;
    }
}
