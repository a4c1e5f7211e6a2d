#include "tools/extract/extract_command.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "core/extractor/extractor_parameters.h"
#include "core/extractor/parameter_ranges.h"
#include "core/extractor/query_keys.h"
#include "tools/keys/key_listing.h"

namespace fs = std::filesystem;

namespace {

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

[[noreturn]] void refuse(const std::string& message) { throw CommandLineError(message); }

// A key name in the wrong letter case is the likeliest slip: the programs
// would ignore it.
std::string unknownKey(const std::string& name) {
    for (const QueryKey& key : queryKeys()) {
        if (lowered(key.name) == lowered(name)) {
            return "--" + name + " is no key; did you mean --" + key.name + "? (key names are case-sensitive)";
        }
    }
    return "--" + name + " is no key of yepharvest or wiffharvest (quarrow-extract --help lists them)";
}

// The programs read numbers leniently ("12x" as 12, "abc" as 0); a command
// line is typed by hand, so a value must be the number it looks like.
void checkValue(const QueryKey& key, const std::string& value) {
    const std::string option = "--" + std::string(key.name) + " " + (value.empty() ? "''" : value);
    if (key.type == KeyType::integer) {
        const char* first = value.data() + (value.starts_with('+') ? 1 : 0);
        std::int32_t number = 0;
        const auto [end, error] = std::from_chars(first, value.data() + value.size(), number);
        if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
            refuse(option + ": not a whole number (from -2147483648 to 2147483647)");
        }
    } else if (key.type == KeyType::real) {
        char* end = nullptr;
        const double number = std::strtod(value.c_str(), &end);
        const bool hexadecimal = lowered(value).find('x') != std::string::npos;
        if (value.empty() || end != value.c_str() + value.size() || !std::isfinite(number) || hexadecimal ||
            std::isspace(static_cast<unsigned char>(value.front()))) {
            refuse(option + ": not a number");
        }
    }
    if (!key.choices.empty() &&
        std::none_of(key.choices.begin(), key.choices.end(), [&](const KeyChoice& c) { return value == c.value; })) {
        refuse(option + ": not one of " + rangeOrValuesText(key));
    }
    // Both name files inside the folders given by --out.
    if (key.name == std::string_view("specFeaturesFilename") || key.name == std::string_view("output_filename")) {
        if (value.empty() || value == "." || value == ".." || value.find_first_of("/\\") != std::string::npos) {
            refuse(option + ": must be a plain file name (the file goes into the folder --out makes)");
        }
    }
}

std::string placeOf(const char* variable, const std::string& given, const std::string& builtIn,
                    const std::function<std::optional<std::string>(const char*)>& environment) {
    if (!given.empty()) return given;
    if (const std::optional<std::string> value = environment(variable); value && !value->empty()) return *value;
    return builtIn;
}

}  // namespace

const std::vector<std::string_view>& toolSetKeys() {
    static const std::vector<std::string_view> keys = {"xtractorDataFilename", "resultsXtractorDir", "logFileDir"};
    return keys;
}

ExtractCommand parseExtractCommand(const std::vector<std::string>& arguments, const ToolPlaces& builtIn,
                                   const std::function<std::optional<std::string>(const char*)>& environment) {
    ExtractCommand command;
    std::vector<std::string> runs;
    std::string out;
    ToolPlaces options;
    std::vector<std::pair<const QueryKey*, std::string>> keys;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            command.help = true;
            return command;
        }
        if (!argument.starts_with("--")) {
            runs.push_back(argument);
            continue;
        }
        // --KEY VALUE or --KEY=VALUE; a value cannot start with "--" unless
        // it is glued on with "=".
        std::string name = argument.substr(2);
        std::optional<std::string> value;
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("--")) {
            value = arguments[++i];
        }
        std::string* place = name == "out"           ? &out
                             : name == "yepharvest"  ? &options.yepharvest
                             : name == "wiffharvest" ? &options.wiffharvest
                             : name == "parameters"  ? &options.parameters
                                                     : nullptr;
        const QueryKey* key = place == nullptr ? findQueryKey(name) : nullptr;
        if (place == nullptr && key == nullptr) refuse(unknownKey(name));
        if (!value) refuse("--" + name + " needs a value");
        if (place != nullptr) {
            if (value->empty()) refuse("--" + name + " needs a value");
            if (!place->empty()) refuse("--" + name + " is given more than once");
            *place = *value;
        } else {
            keys.emplace_back(key, *value);
        }
    }

    if (runs.empty()) refuse("no run given: quarrow-extract RUN [--KEY VALUE]... --out DIR");
    if (runs.size() > 1) refuse("one run at a time, not " + runs[0] + " and " + runs[1]);
    if (out.empty()) refuse("--out DIR is missing: the folder for the peak lists and logs");

    // wiffharvest tells its runs by the ".wiff" ending of the path (the file
    // itself need not exist; its exports beside it must).
    const std::string& run = runs.front();
    if (endsWith(lowered(run), ".wiff") && !endsWith(run, ".wiff")) {
        refuse(run + ": name the .wiff file with its ending in lower case, .wiff (wiffharvest tells its runs by it)");
    }
    command.program = endsWith(run, ".wiff") ? "wiffharvest" : "yepharvest";
    // The program runs in a working folder of its own. A run folder stands
    // for its data file, also when it is missing (the program then says so).
    fs::path data = fs::absolute(run);
    std::error_code error;
    const fs::path name = data.has_filename() ? data.filename() : data.parent_path().filename();
    if (command.program == "yepharvest" && (fs::is_directory(data, error) || endsWith(lowered(name.string()), ".d"))) {
        data /= "Analysis.yep";
    }
    command.dataFilename = data.string();
    command.outDir = (fs::absolute(out) / "").string();

    const bool wiff = command.program == "wiffharvest";
    command.programPath = placeOf(wiff ? "QUARROW_WIFFHARVEST" : "QUARROW_YEPHARVEST",
                                  wiff ? options.wiffharvest : options.yepharvest,
                                  wiff ? builtIn.wiffharvest : builtIn.yepharvest, environment);
    command.parameters =
        fs::absolute(placeOf("QUARROW_PARAMETERS", options.parameters, builtIn.parameters, environment)).string();

    for (const auto& [key, value] : keys) {
        const std::string option = "--" + std::string(key->name);
        if (std::find(toolSetKeys().begin(), toolSetKeys().end(), key->name) != toolSetKeys().end()) {
            refuse(option + " is set by quarrow-extract: the run names the data file, --out the folders");
        }
        if (key->unused) refuse(option + " is accepted by the programs but no stage reads it: it is not offered");
        if (!readBy(*key, command.program)) {
            const char* reader = key->programs == KeyPrograms::yepharvest ? "yepharvest" : "wiffharvest";
            refuse(option + " is read by " + reader + " only, and this run goes to " + command.program);
        }
        if (std::count_if(keys.begin(), keys.end(), [&](const auto& other) { return other.first == key; }) > 1) {
            refuse(option + " is given more than once");
        }
        checkValue(*key, value);
        command.given.push_back({key->name, value});
    }

    command.query = {{"xtractorDataFilename", command.dataFilename},
                     {"resultsXtractorDir", command.outDir + "peaklists/"},
                     {"logFileDir", command.outDir + "logs/"}};
    for (const QueryKey& key : queryKeys()) {
        if (key.unused || !readBy(key, command.program) ||
            std::find(toolSetKeys().begin(), toolSetKeys().end(), key.name) != toolSetKeys().end()) {
            continue;
        }
        const auto given = std::find_if(command.given.begin(), command.given.end(),
                                         [&](const QueryEntry& entry) { return entry.name == key.name; });
        if (given != command.given.end()) {
            command.query.push_back(*given);
        } else if (key.frontEndDefault != nullptr || key.programDefault != nullptr) {
            command.query.push_back({key.name, frontEndValue(key)});
            if (key.frontEndDefault != nullptr) command.filled.push_back(command.query.back());
        }
    }
    // The programs' own check, with the words of their error page.
    if (const std::optional<std::string> violation =
            findRangeViolation(command.query, readExtractorParameters(command.query))) {
        refuse(violation->substr(0, violation->find_last_not_of('\n') + 1));
    }
    return command;
}
