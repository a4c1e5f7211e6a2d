#include "frontend/extract_command.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>

#include "core/extractor/query_keys.h"
#include "frontend/cgi_launch.h"
#include "frontend/run_choice.h"
#include "frontend/key_values.h"
#include "frontend/settings_file.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void refuse(const std::string& message) { throw CommandLineError(message); }

std::string unknownKey(const std::string& name, std::string_view prefix = "--") {
    // A name in the wrong letter case is named as the web names it.
    return keyProblem(name, Program::yepharvest, prefix)
        .value_or(std::string(prefix) + name + " is no key of yepharvest or wiffharvest (quarrow-extract --help lists them)");
}

// A key and its value as given: on the command line (`where` empty) or in
// a settings file ("FILE line N").
struct GivenKey {
    const QueryKey* key;
    std::string value;
    std::string where = {};
    bool isDefault = false;  // a settings file's row of a default
};

// The words of a command line, before they are checked against each other.
struct CommandWords {
    bool help = false;
    bool version = false;
    bool check = false;
    bool verbose = false;
    std::vector<std::string> runs;
    std::string out;
    std::string settings;
    std::string writeSettings;
    std::string jobs;
    ToolPlaces places;
    std::vector<GivenKey> keys;
};

// The tool's own options; nothing for a query key or an unknown name.
std::string* optionPlace(const std::string& name, CommandWords& words) {
    if (name == "out") return &words.out;
    if (const std::optional<Program> program = programNamed(name)) {
        return *program == Program::wiffharvest ? &words.places.wiffharvest : &words.places.yepharvest;
    }
    if (name == "parameters") return &words.places.parameters;
    if (name == "report") return &words.places.report;
    if (name == "settings") return &words.settings;
    if (name == "write-settings") return &words.writeSettings;
    if (name == "jobs") return &words.jobs;
    return nullptr;
}

// --KEY VALUE or --KEY=VALUE; a value cannot start with "--" unless it is
// glued on with "=". `i` moves past the value taken.
void readOption(const std::vector<std::string>& arguments, std::size_t& i, CommandWords& words) {
    std::string name = arguments[i] == "-o" ? "out" : arguments[i].substr(2);
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('='); equals != std::string::npos) {
        value = name.substr(equals + 1);
        name.resize(equals);
    } else if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("--")) {
        value = arguments[++i];
    }
    std::string* place = optionPlace(name, words);
    const QueryKey* key = place == nullptr ? findQueryKey(name) : nullptr;
    if (place == nullptr && key == nullptr) refuse(unknownKey(name));
    if (!value || (place != nullptr && value->empty())) refuse("--" + name + " needs a value");
    if (key != nullptr) {
        words.keys.push_back({key, *value});
        return;
    }
    if (!place->empty()) refuse("--" + name + " is given more than once");
    *place = *value;
}

CommandWords readWords(const std::vector<std::string>& arguments) {
    CommandWords words;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            words.help = true;
            return words;
        }
        if (argument == "--version") {
            words.version = true;
            return words;
        }
        if (argument == "--check") {
            words.check = true;
        } else if (argument == "--verbose" || argument == "-v") {
            words.verbose = true;
        } else if (argument.starts_with("--") || argument == "-o") {
            readOption(arguments, i, words);
        } else {
            words.runs.push_back(argument);
        }
    }
    // Settings are written for runs to come: neither a run nor --out is needed.
    if (!words.writeSettings.empty()) return words;
    if (words.runs.empty()) refuse("no run given: quarrow-extract RUN... [--KEY VALUE]... --out DIR");
    if (words.out.empty()) refuse("--out DIR is missing: the folder for the runs' peak lists, logs and records");
    return words;
}

std::string placeOf(const char* variable, const std::string& given, const std::string& builtIn,
                    const std::function<std::optional<std::string>(const char*)>& environment) {
    if (!given.empty()) return given;
    if (const std::optional<std::string> value = environment(variable); value && !value->empty()) return *value;
    return builtIn;
}

// Each key given, refused in the words every front end uses. A key that
// only some of the runs' programs read is given to those.
std::vector<QueryEntry> takeKeys(const std::vector<GivenKey>& keys, const std::set<Program>& programs,
                                 const std::string& parameters) {
    const std::vector<OfferedChoice> cysteines = cysteineChoices(parameters + "/cysteines.tsv");
    std::vector<QueryEntry> given;
    for (const auto& [key, value, where, isDefault] : keys) {
        // A settings file names its keys as it writes them, and says where.
        const std::string prefix = where.empty() ? "--" : "";
        const std::string said = where.empty() ? "" : where + ": ";
        const std::string option = prefix + std::string(key->name);
        if (setPerRun(*key)) {
            refuse(said + option + " is set by quarrow-extract: the run names the data file, --out the folders");
        }
        if (key->unused) refuse(said + option + " is accepted by the programs but no stage reads it: it is not offered");
        std::optional<std::string> problem;
        for (const Program program : programs) {
            problem = keyProblem(key->name, program, prefix);
            if (!problem) break;
        }
        // The settings of both programs hold the defaults of keys only one reads.
        if (problem && isDefault) continue;
        if (problem) refuse(said + *problem);
        const QueryKey* const named = key;  // a lambda takes no structured binding before clang 16
        if (std::count_if(keys.begin(), keys.end(), [&](const GivenKey& other) { return other.key == named; }) > 1) {
            refuse(said + option + " is given more than once");
        }
        // A settings file holds every key, those at a default too, and some
        // defaults are values no one may give (an empty file name): taken
        // back, they are that default still.
        const bool atDefault = !where.empty() && (key->frontEndDefault != nullptr || key->programDefault != nullptr) &&
                               value == frontEndValue(*key);
        if (const std::optional<std::string> valueWrong = valueProblem(*key, value, cysteines); valueWrong && !atDefault) {
            refuse(said + option + " " + (value.empty() ? "''" : value) + ": " + *valueWrong);
        }
        given.push_back({key->name, value});
    }
    return given;
}

// A settings file's keys, then the command line's, which override them.
std::vector<GivenKey> withSettingsFile(const std::string& file, const std::vector<GivenKey>& commandLine) {
    std::vector<GivenKey> keys;
    for (const Setting& setting : readSettings(file)) {
        const QueryKey* key = findQueryKey(setting.key);
        if (key == nullptr) refuse(setting.where + ": " + unknownKey(setting.key, ""));
        const bool overridden = std::any_of(commandLine.begin(), commandLine.end(),
                                            [&](const GivenKey& given) { return given.key == key; });
        if (!overridden) {
            keys.push_back({key, setting.value, setting.where,
                            setting.source == "front ends' default" || setting.source == "program's default"});
        }
    }
    keys.insert(keys.end(), commandLine.begin(), commandLine.end());
    return keys;
}

// The settings runs of `programs` get: every key either reads, table order.
std::vector<Setting> resolvedSettings(const std::set<Program>& programs, const std::vector<QueryEntry>& given) {
    std::vector<QueryEntry> query;
    std::vector<QueryEntry> filled;
    for (const Program program : programs) {
        FrontEndQuery one = withFrontEndDefaults(program, given, toolSetKeys());
        if (const std::optional<std::string> violation = rangeProblem(one.entries)) refuse(*violation);
        query.insert(query.end(), one.entries.begin(), one.entries.end());
        filled.insert(filled.end(), one.filled.begin(), one.filled.end());
    }
    std::vector<QueryEntry> ordered;
    for (const QueryKey& key : queryKeys()) {
        if (const std::optional<std::string> value = lastQueryValue(query, key.name)) ordered.push_back({key.name, *value});
    }
    return settingSources(ordered, given, filled, {});
}

// Runs at once: 1 when not given.
std::size_t jobsOf(const std::string& given) {
    if (given.empty()) return 1;
    std::size_t jobs = 0;
    const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), jobs);
    if (error != std::errc() || end != given.data() + given.size() || jobs < 1 || jobs > maxProgramsAtOnce) {
        refuse("--jobs " + given + ": not a whole number from 1 to " + std::to_string(maxProgramsAtOnce) +
               " (the runs extracted at once)");
    }
    return jobs;
}

// Each run goes into a folder of its own, named after it.
void checkNames(const std::vector<ChosenRun>& runs) {
    for (auto run = runs.begin(); run != runs.end(); ++run) {
        const auto same = std::find_if(runs.begin(), run, [&](const ChosenRun& other) { return other.name == run->name; });
        if (same != run) {
            refuse("two runs named " + run->name + ": " + same->given + " and " + run->given +
                   " (each run goes into --out's folder of its name): extract them into different --out folders");
        }
    }
}

}  // namespace

const std::vector<std::string_view>& toolSetKeys() {
    static const std::vector<std::string_view> keys = perRunKeys();
    return keys;
}

ExtractCommand parseExtractCommand(const std::vector<std::string>& arguments, const ToolPlaces& builtIn,
                                   const std::function<std::optional<std::string>(const char*)>& environment) {
    ExtractCommand command;
    const CommandWords words = readWords(arguments);
    if (words.help || words.version) {
        command.help = words.help;
        command.version = words.version;
        return command;
    }
    command.jobs = jobsOf(words.jobs);
    std::vector<ChosenRun> chosen;
    for (const std::string& path : words.runs) {
        const std::vector<ChosenRun> runs = chooseRuns(path);
        chosen.insert(chosen.end(), runs.begin(), runs.end());
    }
    checkNames(chosen);
    std::vector<GivenKey> keys = words.keys;
    if (!words.settings.empty()) keys = withSettingsFile(words.settings, keys);
    command.check = words.check;
    command.verbose = words.verbose;
    if (!words.out.empty()) command.outDir = (fs::absolute(words.out) / "").string();
    command.parameters =
        fs::absolute(placeOf("QUARROW_PARAMETERS", words.places.parameters, builtIn.parameters, environment)).string();
    command.report = fs::absolute(placeOf("QUARROW_REPORT", words.places.report, builtIn.report, environment)).string();
    std::set<Program> programs;
    for (const ChosenRun& run : chosen) programs.insert(run.program);
    if (programs.empty()) programs = {Program::yepharvest, Program::wiffharvest};
    command.given = takeKeys(keys, programs, command.parameters);
    if (!words.writeSettings.empty()) {
        command.writeSettings = fs::absolute(words.writeSettings).string();
        command.settings = resolvedSettings(programs, command.given);
        return command;
    }

    for (const ChosenRun& run : chosen) {
        const bool wiff = run.program == Program::wiffharvest;
        ExtractRun extract{.given = run.given, .name = run.name, .program = run.program,
                           // Absolute: the program starts in a working folder of its own.
                           .programPath = fs::absolute(placeOf(programVariable(run.program).c_str(),
                                                               wiff ? words.places.wiffharvest : words.places.yepharvest,
                                                               wiff ? builtIn.wiffharvest : builtIn.yepharvest, environment))
                                              .string(),
                           .dataFilename = run.dataFilename, .folder = command.outDir + run.name + "/", .note = run.note};
        extract.query = perRunEntries(extract.dataFilename, extract.folder);
        FrontEndQuery filled = withFrontEndDefaults(run.program, command.given, toolSetKeys());
        extract.query.insert(extract.query.end(), filled.entries.begin(), filled.entries.end());
        extract.filled = std::move(filled.filled);
        // The programs' own check, with the words of their error page.
        if (const std::optional<std::string> violation = rangeProblem(extract.query)) refuse(*violation);
        command.runs.push_back(std::move(extract));
    }
    return command;
}
