// Test support: the well-formed modules the music tests start from.
#pragma once

#include <string>
#include <vector>

#include "support/xmwriter.h"

struct NamedModule {
    std::string name;
    Bytes bytes;
};

XmModule richxm(); // several channels, patterns and instruments, 16-bit, envelopes

// The shipped module when the source tree has one, then the hand-made ones.
std::vector<NamedModule> wellformedmodules();

const XmField &fieldnamed(const std::vector<XmField> &fields, const std::string &name);
