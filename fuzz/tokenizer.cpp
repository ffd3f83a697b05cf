// Fuzz target: cutting any bytes into tokens and joining them again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "distortion/distortion.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string line(reinterpret_cast<const char *>(data), size);
    const std::vector<std::string> tokens = parsestring(line);

    std::string lowered = line;
    for (char &c : lowered)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    FUZZ_CHECK(reconstitute(tokens) == lowered);

    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string &t = tokens[i];
        FUZZ_CHECK(!t.empty());
        FUZZ_CHECK(!(i > 0 && isword(t) && isword(tokens[i - 1])));
        if (isword(t)) {
            for (char c : t)
                FUZZ_CHECK(c >= 'a' && c <= 'z');
        } else {
            FUZZ_CHECK(t.size() == 1);
        }
    }
    return 0;
}
