#include "tools/extract/extract_command.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "core/extractor/query_keys.h"
#include "tools/keys/key_values.h"

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

std::string unknownKey(const std::string& name) {
    // A name in the wrong letter case is named as the web names it.
    return keyProblem(name, "yepharvest", "--")
        .value_or("--" + name + " is no key of yepharvest or wiffharvest (quarrow-extract --help lists them)");
}

std::string placeOf(const char* variable, const std::string& given, const std::string& builtIn,
                    const std::function<std::optional<std::string>(const char*)>& environment) {
    if (!given.empty()) return given;
    if (const std::optional<std::string> value = environment(variable); value && !value->empty()) return *value;
    return builtIn;
}

}  // namespace

const std::vector<std::string_view>& toolSetKeys() {
    static const std::vector<std::string_view> keys = perRunKeys();
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

    const std::vector<std::string> cysteines = cysteineNames(command.parameters + "/cysteines.tsv");
    for (const auto& [key, value] : keys) {
        const std::string option = "--" + std::string(key->name);
        if (std::find(toolSetKeys().begin(), toolSetKeys().end(), key->name) != toolSetKeys().end()) {
            refuse(option + " is set by quarrow-extract: the run names the data file, --out the folders");
        }
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

    command.query = perRunEntries(command.dataFilename, command.outDir);
    FrontEndQuery filled = withFrontEndDefaults(command.program, command.given, toolSetKeys());
    command.query.insert(command.query.end(), filled.entries.begin(), filled.entries.end());
    command.filled = std::move(filled.filled);
    // The programs' own check, with the words of their error page.
    if (const std::optional<std::string> violation = rangeProblem(command.query)) refuse(*violation);
    return command;
}
