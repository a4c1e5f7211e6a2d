#include "core/util/parameter_files.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "core/util/checked_file.h"
#include "core/util/checked_memory.h"
#include "core/util/fatal_error.h"
#include "core/util/format_text.h"
#include "core/util/tokenizer.h"

namespace {

// The files are read as text: a CR LF pair is one line feed.
void foldLineEnds(std::string& text) {
    std::size_t out = 0;
    for (std::size_t in = 0; in < text.size(); ++in) {
        if (text[in] == '\r' && in + 1 < text.size() && text[in + 1] == '\n') continue;
        text[out++] = text[in];
    }
    text.resize(out);
}

std::string readOpenFile(std::FILE* stream, std::int64_t size, const char* label) {
    std::string text;
    try {
        text.resize(static_cast<std::size_t>(size));
    } catch (const std::exception&) {
        reportAllocationFailure(size + 1, label);
    }
    text.resize(readFileBytes(text.data(), 1, text.size(), stream));
    foldLineEnds(text);
    return text;
}

// The table and, when a row has fewer fields than the header, that row (the
// table stops before it; "(null)" for a row past the text's last line).
struct TsvParse {
    TsvTable table;
    std::optional<std::string> shortRow;
};

TsvParse parseTsvText(std::string text, int strip) {
    if (strip != 0) stripComments(text, '#', '\n');
    TsvParse parse;
    TsvTable& table = parse.table;
    const int lineFeeds = countCharacter(text, '\n');
    Tokenizer lines(text, "\n");
    std::string_view headerLine;
    if (!lines.next(headerLine)) return parse;  // nothing but comments

    table.headerCount = countCharacter(headerLine, '\t') + 1;
    Tokenizer headerNames(headerLine, "\t");
    for (std::string_view name; headerNames.next(name);) table.headers.emplace_back(name);

    const int rowCount = lineFeeds - 1;
    reserveChecked(table.rows, static_cast<std::size_t>(std::max(rowCount, 0)), "Function: parseTSVfile");
    for (int r = 0; r < rowCount; ++r) {
        std::string_view line;
        const bool haveLine = lines.next(line);
        std::vector<std::string> fields;
        if (haveLine) {
            Tokenizer splitter(line, "\t\n");
            // Fields beyond the header's columns have no slot and are ignored.
            for (std::string_view field; static_cast<int>(fields.size()) < table.headerCount && splitter.next(field);) {
                fields.emplace_back(field);
            }
        }
        if (static_cast<int>(fields.size()) < table.headerCount) {
            parse.shortRow = haveLine ? std::string(line) : std::string("(null)");
            return parse;
        }
        table.rows.push_back(std::move(fields));
    }
    return parse;
}

}  // namespace

PageHtml pleaseNotifyAdministrator() {
    return PageHtml::markup("<P>") + PageHtml("Please notify the server administrator about this error message. ");
}

const char* parameterDirectory() { return "msparams_quarrow/"; }

std::string parameterFilePath(const char* fileName) { return formatText("%s%s", parameterDirectory(), fileName); }

std::size_t stripCommentLines(std::string& text) {
    std::size_t out = 0;
    std::size_t in = 0;
    while (in < text.size()) {
        std::size_t end = text.find('\n', in);
        end = end == std::string::npos ? text.size() : end + 1;
        if (text[in] != '#') {
            for (std::size_t i = in; i < end; ++i) text[out++] = text[i];
        }
        in = end;
    }
    text.resize(out);
    return out;
}

std::size_t stripComments(std::string& text, char commentCharacter, char endCharacter) {
    std::size_t out = 0;
    std::size_t in = 0;
    while (in < text.size()) {
        if (text[in] == commentCharacter) {
            const std::size_t end = text.find(endCharacter, in);
            in = end == std::string::npos ? text.size() : end + 1;
        } else {
            text[out++] = text[in++];
        }
    }
    text.resize(out);
    text.shrink_to_fit();
    return out;
}

int countCharacter(std::string_view text, char character) {
    int count = 0;
    for (const char c : text) count += c == character ? 1 : 0;
    return count;
}

std::string get_file_info(const std::string& path, char character, int divisor, int strip, int& recordCount) {
    const char* label = "Function name: get_file_info.";
    std::FILE* stream = openTextFile(path, "r", label);
    const std::int64_t size = gen_file_size(path);
    std::string text = readOpenFile(stream, size, label);
    closeFile(stream, label, path);
    if (strip != 0) stripCommentLines(text);
    recordCount = divisor != 0 ? countCharacter(text, character) / divisor : 0;
    return text;
}

TsvTable parseTSVfile(const std::string& path, int strip) {
    const char* label = "Function: parseTSVfile";
    const std::int64_t size = gen_file_size(path);
    std::FILE* stream = openTextFile(path, "r", label);
    TsvParse parse = parseTsvText(readOpenFile(stream, size, label), strip);
    closeFile(stream, label, path);
    if (parse.shortRow) {
        reportFatalError(PageHtml(formatText("\nIn the file %s there are not enough columns in line:\n", path.c_str())) +
                         PageHtml::markup("<BR>") + PageHtml(formatText(" %s.\n", parse.shortRow->c_str())) +
                         pleaseNotifyAdministrator(), {path});
    }
    return std::move(parse.table);
}

std::optional<TsvTable> readTsvFile(const std::string& path, int strip) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    if (!stream) return std::nullopt;
    std::string read = text.str();
    foldLineEnds(read);
    TsvParse parse = parseTsvText(std::move(read), strip);
    if (parse.shortRow) return std::nullopt;
    return std::move(parse.table);
}

std::vector<int> checkParsedHeadersForExpectedHeaders(const std::string& path,
                                                      const std::vector<std::string>& expected,
                                                      const std::vector<std::string>& headers) {
    std::vector<int> positions(expected.size(), -1);
    for (std::size_t i = 0; i < headers.size(); ++i) {
        for (std::size_t j = 0; j < expected.size(); ++j) {
            if (headers[i] == expected[j]) positions[j] = static_cast<int>(i);
        }
    }
    for (std::size_t j = 0; j < expected.size(); ++j) {
        if (positions[j] == -1) {
            reportFatalError(
                PageHtml(formatText("\nIn the file %s there is a column missing containing information on:\n", path.c_str())) +
                PageHtml::markup("<BR>") + PageHtml(formatText(" %s.\n", expected[j].c_str())) + pleaseNotifyAdministrator(),
                {path});
        }
    }
    return positions;
}
