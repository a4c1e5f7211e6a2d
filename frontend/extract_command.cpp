#include "frontend/extract_command.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "core/extractor/query_keys.h"
#include "frontend/run_choice.h"
#include "frontend/key_values.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void refuse(const std::string& message) { throw CommandLineError(message); }

std::string unknownKey(const std::string& name) {
    // A name in the wrong letter case is named as the web names it.
    return keyProblem(name, Program::yepharvest, "--")
        .value_or("--" + name + " is no key of yepharvest or wiffharvest (quarrow-extract --help lists them)");
}

// The words of a command line, before they are checked against each other.
struct CommandWords {
    bool help = false;
    bool version = false;
    bool check = false;
    bool verbose = false;
    std::vector<std::string> runs;
    std::string out;
    ToolPlaces places;
    std::vector<std::pair<const QueryKey*, std::string>> keys;
};

// The tool's own options; nothing for a query key or an unknown name.
std::string* optionPlace(const std::string& name, CommandWords& words) {
    if (name == "out") return &words.out;
    if (const std::optional<Program> program = programNamed(name)) {
        return *program == Program::wiffharvest ? &words.places.wiffharvest : &words.places.yepharvest;
    }
    if (name == "parameters") return &words.places.parameters;
    if (name == "report") return &words.places.report;
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
        words.keys.emplace_back(key, *value);
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
std::vector<QueryEntry> takeKeys(const std::vector<std::pair<const QueryKey*, std::string>>& keys,
                                 const std::set<Program>& programs, const std::string& parameters) {
    const std::vector<OfferedChoice> cysteines = cysteineChoices(parameters + "/cysteines.tsv");
    std::vector<QueryEntry> given;
    for (const auto& [key, value] : keys) {
        const std::string option = "--" + std::string(key->name);
        if (setPerRun(*key)) refuse(option + " is set by quarrow-extract: the run names the data file, --out the folders");
        if (key->unused) refuse(option + " is accepted by the programs but no stage reads it: it is not offered");
        std::optional<std::string> problem;
        for (const Program program : programs) {
            problem = keyProblem(key->name, program, "--");
            if (!problem) break;
        }
        if (problem) refuse(*problem);
        const QueryKey* const named = key;  // a lambda takes no structured binding before clang 16
        if (std::count_if(keys.begin(), keys.end(), [&](const auto& other) { return other.first == named; }) > 1) {
            refuse(option + " is given more than once");
        }
        if (const std::optional<std::string> valueWrong = valueProblem(*key, value, cysteines)) {
            refuse(option + " " + (value.empty() ? "''" : value) + ": " + *valueWrong);
        }
        given.push_back({key->name, value});
    }
    return given;
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
    std::vector<ChosenRun> chosen;
    for (const std::string& path : words.runs) {
        const std::vector<ChosenRun> runs = chooseRuns(path);
        chosen.insert(chosen.end(), runs.begin(), runs.end());
    }
    checkNames(chosen);
    command.check = words.check;
    command.verbose = words.verbose;
    command.outDir = (fs::absolute(words.out) / "").string();
    command.parameters =
        fs::absolute(placeOf("QUARROW_PARAMETERS", words.places.parameters, builtIn.parameters, environment)).string();
    command.report = fs::absolute(placeOf("QUARROW_REPORT", words.places.report, builtIn.report, environment)).string();
    std::set<Program> programs;
    for (const ChosenRun& run : chosen) programs.insert(run.program);
    command.given = takeKeys(words.keys, programs, command.parameters);

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
