#include "platform/analyst/wiff_application.h"

#include "platform/analyst/wiff_run.h"

namespace {
constexpr const char* applicationInterface = "IWiffApplication";
}

WiffFileData WiffApplication::openWiff(const std::string& path, std::int32_t sample) const {
    std::shared_ptr<const WiffRun> run = openWiffRun(path, applicationInterface);
    run->sample(sample, applicationInterface);
    return WiffFileData(std::move(run));
}

std::vector<std::string> WiffApplication::exportsNotRead(const std::string& path) const { return exportsNotTaken(path); }
