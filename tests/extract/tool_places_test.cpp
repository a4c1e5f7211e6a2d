// Where the tools look for the programs and the parameter folder: the
// installed layout when it is there, the build tree's when that is, else the
// installed places, which the refusals name.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"
#include "frontend/tool_places.h"

namespace fs = std::filesystem;

namespace {

void expectPlaces(const ToolPlaces& got, const ToolPlaces& want, const std::string& label) {
    EXPECT_EQ(got.yepharvest, want.yepharvest) << label;
    EXPECT_EQ(got.wiffharvest, want.wiffharvest) << label;
    EXPECT_EQ(got.parameters, want.parameters) << label;
    EXPECT_EQ(got.report, want.report) << label;
}

TEST(ToolPlaces, TheInstalledLayoutWhenItIsThereElseTheBuildTreesElseTheInstalledPlaces) {
    // This build tree, seen from the folder of its tools.
    const fs::path tools = fs::path(EXTRACT_PATH).parent_path();
    const ToolPlaces built = toolPlacesFrom(tools.string());
    EXPECT_TRUE(fs::equivalent(built.yepharvest, YEPHARVEST_PATH)) << built.yepharvest;
    EXPECT_TRUE(fs::equivalent(built.wiffharvest, WIFFHARVEST_PATH)) << built.wiffharvest;
    EXPECT_TRUE(fs::equivalent(built.parameters, QUARROW_PARAMS_DIR)) << built.parameters;
    EXPECT_TRUE(fs::equivalent(built.report, REPORT_PATH)) << built.report;

    // The same tree laid out again in a fresh folder, deep enough for its
    // steps up, and an install beside its tools.
    TempDir root;
    const fs::path folder = fs::path(root.path()) / "a/b/c/d/tools";
    const auto at = [&](const std::string& target) { return (folder / fs::relative(target, tools)).lexically_normal().string(); };
    // The report lies beside the tool in either layout.
    const std::string report = folder.string() + "/quarrow-report";
    const ToolPlaces buildTree = {at(YEPHARVEST_PATH), at(WIFFHARVEST_PATH), at(QUARROW_PARAMS_DIR), report};
    for (const std::string& place : {buildTree.yepharvest, buildTree.wiffharvest, buildTree.parameters}) {
        ASSERT_TRUE(place.starts_with(root.path() + "/")) << place << ": lay the copy deeper";
    }
    const std::string prefix = folder.parent_path().string();
    const ToolPlaces installed = {folder.string() + "/yepharvest", folder.string() + "/wiffharvest",
                                  prefix + "/share/quarrow/msparams_quarrow", report};
    fs::create_directories(folder);
    expectPlaces(toolPlacesFrom(folder.string()), installed, "nothing there: the places to name");
    fs::create_directories(buildTree.parameters);
    fs::create_directories(fs::path(buildTree.yepharvest).parent_path());
    writeWholeFile(buildTree.yepharvest, "");
    expectPlaces(toolPlacesFrom(folder.string()), buildTree, "the build tree");
    fs::create_directories(installed.parameters);
    expectPlaces(toolPlacesFrom(folder.string()), buildTree, "a prefix laid inside the build tree");
    writeWholeFile(installed.wiffharvest, "");
    expectPlaces(toolPlacesFrom(folder.string()), installed, "installed");
}

}  // namespace
