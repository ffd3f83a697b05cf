// Test support: loading and rendering modules with DUMB in a child process, so that a
// module which crashes or stalls the library fails a test instead of ending the run.
#pragma once

#include <string>
#include <vector>

#include "support/xmwriter.h"

struct SandboxCase {
    bool loaded = false; // DUMB returned a module
    int peak = 0;        // largest absolute 16-bit sample of the render
    double seconds = 0;  // wall time of load and render
};

struct SandboxRun {
    std::vector<SandboxCase> cases; // one per module handed in, for those that finished
    bool failed = false;            // the child crashed or stalled
    size_t failedcase = 0;          // the module it was working on then
    std::string why;                // signal, exit status or stall, for the message
    std::vector<size_t> slow;       // modules that took longer than a second
};

// Loads each module from memory with DUMB's quick XM reader and renders `frames` mono
// frames at 11025 Hz, in one child for the whole batch. A module that has not finished
// after `stall` seconds is taken for a hang: the child is killed and the run fails.
SandboxRun sandboxplay(const std::vector<Bytes> &modules, long frames, double stall = 60);

std::string describe(const SandboxRun &run); // a line for a failure message
