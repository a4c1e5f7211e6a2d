#pragma once
// Stand-in for the Analyst object model's top-level object: opens a .wiff
// file, served from its open-format exports.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/analyst/wiff_file_data.h"
#include "platform/com/com_runtime.h"

class WiffApplication {
public:
    // `sample` is 1-based. The first call for a path reads every export of
    // it; 0x80070002 when there is none, 0x80004005 when one is damaged or
    // its ids disagree, 0x80070057 for a sample the file does not have.
    WiffFileData openWiff(const std::string& path, std::int32_t sample) const;
    // What the exports' warnings say of the exports found beside `path` but
    // not read as its samples, as far as the last openWiff of it got: a
    // failed opening (a sample missing) has them too.
    std::vector<std::string> exportsNotRead(const std::string& path) const;
};
