#include "web/launcher/request_record.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

constexpr std::pair<const char*, std::string RequestOutcome::*> outcomeFields[] = {
    {"program", &RequestOutcome::program},
    {"run", &RequestOutcome::run},
    {"status", &RequestOutcome::status},
    {"started", &RequestOutcome::started},
    {"seconds", &RequestOutcome::seconds},
    {"ended", &RequestOutcome::ended},
    {"spectraWritten", &RequestOutcome::spectraWritten},
    {"peakListFormat", &RequestOutcome::peakListFormat},
    {"error", &RequestOutcome::error},
    {"filled", &RequestOutcome::filled},
    {"launcher", &RequestOutcome::launcher},
};

// A value is one field of one line.
std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    }
    return text;
}

std::string readText(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

}  // namespace

std::string statusOf(const RequestOutcome& outcome) {
    if (outcome.status != "running") return outcome.status;
    const long process = std::atol(outcome.launcher.c_str());
    const bool alive = process > 0 && (::kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM);
    return alive ? "running" : "interrupted";
}

bool writeRecordFile(const fs::path& file, const std::string& text) {
    const fs::path temporary = file.string() + "." + std::to_string(::getpid()) + ".tmp";
    {
        std::ofstream stream(temporary, std::ios::binary | std::ios::trunc);
        stream << text;
        if (!stream.flush()) return false;
    }
    std::error_code error;
    fs::rename(temporary, file, error);
    if (error) fs::remove(temporary, error);
    return !error;
}

bool writeOutcome(const fs::path& folder, const RequestOutcome& outcome) {
    std::string text;
    for (const auto& [name, field] : outcomeFields) text += std::string(name) + "\t" + oneLine(outcome.*field) + "\n";
    return writeRecordFile(folder / outcomeFileName, text);
}

std::optional<RequestOutcome> readOutcome(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_regular_file(folder / outcomeFileName, error)) return std::nullopt;
    RequestOutcome outcome;
    std::istringstream lines(readText(folder / outcomeFileName));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        for (const auto& [name, field] : outcomeFields) {
            if (line.compare(0, tab, name) == 0 && std::string_view(name).size() == tab) outcome.*field = line.substr(tab + 1);
        }
    }
    return outcome;
}

std::vector<QueryEntry> readQuery(const fs::path& folder) {
    std::string text = readText(folder / queryFileName);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text.empty() ? std::vector<QueryEntry>() : parse_query_entry(text);
}

std::vector<fs::path> readFileList(const fs::path& folder) {
    std::vector<fs::path> files;
    std::istringstream lines(readText(folder / filesFileName));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) files.emplace_back(line);
    }
    return files;
}
