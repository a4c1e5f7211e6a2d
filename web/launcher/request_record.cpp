#include "web/launcher/request_record.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

#include "core/util/committed_file.h"
#include "frontend/key_values.h"
#include "frontend/settings_file.h"

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

std::string outcomeText(const RequestOutcome& outcome) {
    std::string text;
    for (const auto& [name, field] : outcomeFields) text += std::string(name) + "\t" + oneLine(outcome.*field) + "\n";
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

std::string requestSettingsText(const std::vector<QueryEntry>& entries, const std::vector<QueryEntry>& filled) {
    std::vector<QueryEntry> given;
    for (const QueryEntry& entry : entries) {
        if (!lastQueryValue(filled, entry.name)) given.push_back(entry);
    }
    return settingsHeader + settingRows(settingSources(entries, given, filled, perRunKeys()));
}

std::optional<std::string> writeRecordFile(const fs::path& file, const std::string& text) {
    const std::optional<FileFailure> failure = commitWholeFile(file.string(), text, "Function: writeRecordFile");
    if (!failure) return std::nullopt;
    return std::string(std::strerror(failure->error));
}

std::optional<std::string> writeOutcome(const fs::path& folder, const RequestOutcome& outcome) {
    return writeRecordFile(folder / outcomeFileName, outcomeText(outcome));
}

std::optional<std::string> overwriteOutcome(const fs::path& folder, const RequestOutcome& outcome) {
    const std::string text = outcomeText(outcome);
    const int descriptor = ::open((folder / outcomeFileName).c_str(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0) return std::string(std::strerror(errno));
    int failure = 0;
    for (std::size_t done = 0; done < text.size() && failure == 0;) {
        const ssize_t put = ::write(descriptor, text.data() + done, text.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put == 0 || errno != EINTR) {
            failure = put < 0 ? errno : EIO;
        }
    }
    if (failure == 0 && ::ftruncate(descriptor, static_cast<off_t>(text.size())) != 0) failure = errno;
    if (::close(descriptor) != 0 && failure == 0) failure = errno;
    if (failure != 0) return std::string(std::strerror(failure));
    return std::nullopt;
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
