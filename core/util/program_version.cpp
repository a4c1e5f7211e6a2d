#include "core/util/program_version.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool answeredVersion(int argc, char* argv[], const char* name, const char* version) {
    if (argc != 2 || std::strcmp(argv[1], "--version") != 0 || std::getenv("GATEWAY_INTERFACE") != nullptr) return false;
    std::printf("%s %s\n", name, version);
    return std::fflush(stdout) == 0;
}
