#include "core/util/huge_pages.h"

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

void startAgainWithHugePages(const char* program, char* const argv[]) {
    constexpr std::string_view tunable = "glibc.malloc.hugetlb";
    const char* current = std::getenv("GLIBC_TUNABLES");
    if (current != nullptr && std::string_view(current).find(tunable) != std::string_view::npos) return;
    const std::optional<std::string> before = current != nullptr ? std::optional<std::string>(current) : std::nullopt;
    std::string tunables = before && !before->empty() ? *before + ":" : std::string();
    tunables += std::string(tunable) + "=1";
    if (::setenv("GLIBC_TUNABLES", tunables.c_str(), 1) != 0) return;
    ::execv(program, argv);
    if (before) {
        ::setenv("GLIBC_TUNABLES", before->c_str(), 1);
    } else {
        ::unsetenv("GLIBC_TUNABLES");
    }
}
