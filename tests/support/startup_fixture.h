#pragma once
// Runs the extractor start-up in a child process, as a program would, from a
// temporary working folder that holds the shipped parameter files. A query
// that names no spectrum-features file gets "specFeatures.txt".
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string>

#include "core/extractor/extractor_startup.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

inline ChildResult startUpAndRun(const TempDir& dir, const std::string& queryString,
                                 const std::function<void()>& then = [] {}) {
    return runInChild([&] {
        if (::chdir(dir.path().c_str()) != 0) std::_Exit(99);
        std::string fullQuery = queryString;
        if (fullQuery.find("specFeaturesFilename=") == std::string::npos) fullQuery += "&specFeaturesFilename=specFeatures.txt";
        ::setenv("QUERY_STRING", fullQuery.c_str(), 1);
        errno = 0;
        initialiseExtractor();
        then();
    });
}
