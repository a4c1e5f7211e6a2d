#include "core/util/checked_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/util/fatal_error.h"
#include "core/util/format_text.h"

std::FILE* openFile(const std::string& path, const char* mode, const char* label) {
    std::FILE* stream = std::fopen(path.c_str(), mode);
    if (stream == nullptr) {
        reportFatalError(formatText("File open (fopen) failure.\n%s\nFilename = %s.\n", label, path.c_str()), {path});
    }
    return stream;
}

std::string textModeOf(const char* mode) { return std::string(mode) + "t"; }

std::FILE* openTextFile(const std::string& path, const char* mode, const char* label) {
    return openFile(path, textModeOf(mode).c_str(), label);
}

int closeFile(std::FILE* stream, const char* label, const std::string& path) {
    const int status = std::fclose(stream);
    if (status != 0) reportFatalError(formatText("File close (fclose) failure.\n%s\n", label), {path});
    return status;
}

std::size_t readFileBytes(void* buffer, std::size_t itemSize, std::size_t count, std::FILE* stream) {
    return std::fread(buffer, itemSize, count, stream);
}

int fileStatus(const std::string& path, struct stat* status, const char* label) {
    const int result = ::stat(path.c_str(), status);
    if (result != 0) {
        reportFatalError(formatText("File status (stat) failure.\n%s\nFilename: %s.\n", label, path.c_str()), {path});
    }
    return result;
}

std::int64_t gen_file_size(const std::string& path) {
    struct stat status {};
    fileStatus(path, &status, "Function name: gen_file_size.");
    return static_cast<std::int64_t>(status.st_size);
}

const char* getEnvironmentVariable(const char* name, const char* label) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        reportFatalError(formatText("Get environment variable (getenv) failure.\n%s\nEnvironment variable: %s\n",
                                    label, name));
    }
    return value;
}

void unbufferStandardOutput() { std::setvbuf(stdout, nullptr, _IONBF, 0); }
