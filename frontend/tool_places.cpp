#include "frontend/tool_places.h"

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Each layout relative to the folder of the tool's executable; the build
// system fills them in from its install folders and its build tree.
struct Layout {
    const char* yepharvest;
    const char* wiffharvest;
    const char* parameters;
};

constexpr Layout installedLayout = {"yepharvest", "wiffharvest", QUARROW_INSTALLED_PARAMETERS};
constexpr Layout buildTreeLayout = {QUARROW_BUILT_YEPHARVEST, QUARROW_BUILT_WIFFHARVEST, QUARROW_BUILT_PARAMETERS};

ToolPlaces placesOf(const fs::path& folder, const Layout& layout) {
    const auto place = [&](const char* relative) { return (folder / relative).lexically_normal().string(); };
    // quarrow-report lies beside the tool in either layout.
    return {place(layout.yepharvest), place(layout.wiffharvest), place(layout.parameters), place("quarrow-report")};
}

}  // namespace

ToolPlaces toolPlacesFrom(const std::string& toolFolder) {
    std::error_code error;
    // A layout is there when its parameter folder and one of its programs
    // are: a prefix laid inside a build tree leaves the tree's tools theirs.
    for (const Layout* layout : {&installedLayout, &buildTreeLayout}) {
        ToolPlaces places = placesOf(toolFolder, *layout);
        if (fs::is_directory(places.parameters, error) &&
            (fs::exists(places.yepharvest, error) || fs::exists(places.wiffharvest, error))) {
            return places;
        }
    }
    return placesOf(toolFolder, installedLayout);
}

ToolPlaces toolPlaces() {
    std::error_code error;
    // The kernel's own answer, every link resolved: a tool started through a
    // link on PATH still finds what lies beside the real file.
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    // Without /proc, the folder the install was meant for.
    return toolPlacesFrom(error ? std::string(QUARROW_INSTALLED_BINDIR) : self.parent_path().string());
}
