#include "tools/extract/extract_command.h"

#include <algorithm>
#include <filesystem>

#include "core/extractor/query_keys.h"
#include "core/util/text_path.h"
#include "tools/keys/key_values.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void refuse(const std::string& message) { throw CommandLineError(message); }

std::string unknownKey(const std::string& name) {
    // A name in the wrong letter case is named as the web names it.
    return keyProblem(name, "yepharvest", "--")
        .value_or("--" + name + " is no key of yepharvest or wiffharvest (quarrow-extract --help lists them)");
}

// The words of a command line, before they are checked against each other.
struct CommandWords {
    bool help = false;
    bool version = false;
    std::vector<std::string> runs;
    std::string out;
    ToolPlaces places;
    std::vector<std::pair<const QueryKey*, std::string>> keys;
};

// The tool's own options; nothing for a query key or an unknown name.
std::string* optionPlace(const std::string& name, CommandWords& words) {
    if (name == "out") return &words.out;
    if (name == "yepharvest") return &words.places.yepharvest;
    if (name == "wiffharvest") return &words.places.wiffharvest;
    if (name == "parameters") return &words.places.parameters;
    return nullptr;
}

// --KEY VALUE or --KEY=VALUE; a value cannot start with "--" unless it is
// glued on with "=". `i` moves past the value taken.
void readOption(const std::vector<std::string>& arguments, std::size_t& i, CommandWords& words) {
    std::string name = arguments[i].substr(2);
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
        if (argument.starts_with("--")) {
            readOption(arguments, i, words);
        } else {
            words.runs.push_back(argument);
        }
    }
    if (words.runs.empty()) refuse("no run given: quarrow-extract RUN [--KEY VALUE]... --out DIR");
    if (words.runs.size() > 1) refuse("one run at a time, not " + words.runs[0] + " and " + words.runs[1]);
    if (words.out.empty()) refuse("--out DIR is missing: the folder for the peak lists and logs");
    return words;
}

// The program and its data file. wiffharvest tells its runs by the ".wiff"
// ending of the path (the file itself need not exist; its exports beside it
// must).
void chooseRun(const std::string& run, const std::string& out, ExtractCommand& command) {
    if (endsWithIgnoringCase(run, ".wiff") && !run.ends_with(".wiff")) {
        refuse(run + ": name the .wiff file with its ending in lower case, .wiff (wiffharvest tells its runs by it)");
    }
    command.program = run.ends_with(".wiff") ? "wiffharvest" : "yepharvest";
    // The program runs in a working folder of its own. A run folder stands
    // for its data file, also when it is missing (the program then says so).
    fs::path data = fs::absolute(run);
    std::error_code error;
    const fs::path name = data.has_filename() ? data.filename() : data.parent_path().filename();
    if (command.program == "yepharvest" && (fs::is_directory(data, error) || endsWithIgnoringCase(name.string(), ".d"))) {
        data /= "Analysis.yep";
    }
    command.dataFilename = data.string();
    command.outDir = (fs::absolute(out) / "").string();
}

std::string placeOf(const char* variable, const std::string& given, const std::string& builtIn,
                    const std::function<std::optional<std::string>(const char*)>& environment) {
    if (!given.empty()) return given;
    if (const std::optional<std::string> value = environment(variable); value && !value->empty()) return *value;
    return builtIn;
}

void choosePlaces(const ToolPlaces& given, const ToolPlaces& builtIn,
                  const std::function<std::optional<std::string>(const char*)>& environment, ExtractCommand& command) {
    const bool wiff = command.program == "wiffharvest";
    command.programPath = placeOf(wiff ? "QUARROW_WIFFHARVEST" : "QUARROW_YEPHARVEST",
                                  wiff ? given.wiffharvest : given.yepharvest,
                                  wiff ? builtIn.wiffharvest : builtIn.yepharvest, environment);
    command.parameters =
        fs::absolute(placeOf("QUARROW_PARAMETERS", given.parameters, builtIn.parameters, environment)).string();
}

// Each key given, refused in the words every front end uses.
void takeKeys(const std::vector<std::pair<const QueryKey*, std::string>>& keys, ExtractCommand& command) {
    const std::vector<std::string> cysteines = cysteineNames(command.parameters + "/cysteines.tsv");
    for (const auto& [key, value] : keys) {
        const std::string option = "--" + std::string(key->name);
        if (setPerRun(*key)) refuse(option + " is set by quarrow-extract: the run names the data file, --out the folders");
        if (key->unused) refuse(option + " is accepted by the programs but no stage reads it: it is not offered");
        if (const std::optional<std::string> problem = keyProblem(key->name, command.program, "--")) refuse(*problem);
        if (std::count_if(keys.begin(), keys.end(), [&](const auto& other) { return other.first == key; }) > 1) {
            refuse(option + " is given more than once");
        }
        if (const std::optional<std::string> problem = valueProblem(*key, value, cysteines)) {
            refuse(option + " " + (value.empty() ? "''" : value) + ": " + *problem);
        }
        command.given.push_back({key->name, value});
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
    chooseRun(words.runs.front(), words.out, command);
    choosePlaces(words.places, builtIn, environment, command);
    takeKeys(words.keys, command);

    command.query = perRunEntries(command.dataFilename, command.outDir);
    FrontEndQuery filled = withFrontEndDefaults(command.program, command.given, toolSetKeys());
    command.query.insert(command.query.end(), filled.entries.begin(), filled.entries.end());
    command.filled = std::move(filled.filled);
    // The programs' own check, with the words of their error page.
    if (const std::optional<std::string> violation = rangeProblem(command.query)) refuse(*violation);
    return command;
}
