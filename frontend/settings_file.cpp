#include "frontend/settings_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "frontend/command_line_error.h"
#include "frontend/run_listing.h"

namespace {

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

}  // namespace

std::vector<Setting> parseSettings(std::string_view text, const std::string& name) {
    std::vector<Setting> settings;
    bool record = false;
    bool first = true;
    int number = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (line.ends_with('\r')) line.remove_suffix(1);
        const std::string where = name + " line " + std::to_string(number);
        if (trimmed(line).empty() || trimmed(line).starts_with('#')) continue;
        if (first && std::string(line) + "\n" == settingsHeader) {
            record = true;
            first = false;
            continue;
        }
        first = false;
        Setting setting{.where = where};
        std::string_view value;
        if (const std::size_t tab = line.find('\t'); tab != std::string_view::npos) {
            setting.key = line.substr(0, tab);
            value = line.substr(tab + 1);
            if (const std::size_t next = value.find('\t'); next != std::string_view::npos) {
                setting.source = value.substr(next + 1);
                value = value.substr(0, next);
            }
        } else if (const std::size_t equals = line.find('='); equals != std::string_view::npos) {
            setting.key = trimmed(line.substr(0, equals));
            value = trimmed(line.substr(equals + 1));
        } else {
            throw CommandLineError(where + ": neither KEY<TAB>VALUE nor KEY = VALUE");
        }
        if (setting.key.empty()) throw CommandLineError(where + ": no key before the value");
        const std::optional<std::string> unescaped = tsvValue(value);
        if (!unescaped) {
            throw CommandLineError(where + ": the value of " + setting.key +
                                   " has a backslash that is none of \\\\, \\t, \\n, \\r, \\xHH");
        }
        setting.value = *unescaped;
        if (record && (setting.source.empty() || setting.source == setForTheRun)) continue;
        settings.push_back(std::move(setting));
    }
    return settings;
}

std::vector<Setting> readSettings(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) throw CommandLineError("--settings " + path + ": cannot read it: " + std::strerror(errno));
    std::ostringstream text;
    text << stream.rdbuf();
    return parseSettings(text.str(), path);
}

std::vector<Setting> settingSources(const std::vector<QueryEntry>& query, const std::vector<QueryEntry>& given,
                                    const std::vector<QueryEntry>& filled, const std::vector<std::string_view>& own) {
    std::vector<Setting> settings;
    for (const QueryEntry& entry : query) {
        const bool isOwn = std::find(own.begin(), own.end(), entry.name) != own.end();
        settings.push_back({entry.name, entry.value,
                            isOwn                                        ? setForTheRun
                            : lastQueryValue(given, entry.name)          ? "given"
                            : lastQueryValue(filled, entry.name)         ? "front ends' default"
                                                                         : "program's default"});
    }
    return settings;
}

std::string settingRows(const std::vector<Setting>& settings) {
    std::string text;
    for (const Setting& setting : settings) {
        text += tsvField(setting.key) + "\t" + tsvField(setting.value) + "\t" + tsvField(setting.source) + "\n";
    }
    return text;
}
