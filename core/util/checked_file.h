#pragma once
// File and environment operations that either succeed or end the process
// with a message naming the operation, the caller's label and the file, and
// a failure line that names the file (failure_line.h).
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/util/whole_write.h"  // writeWhole, for the callers of the checked ones

std::FILE* openFile(const std::string& path, const char* mode, const char* label);
// The mode with "t" (text mode) appended; every core file but runStats.txt opens so.
std::FILE* openTextFile(const std::string& path, const char* mode, const char* label);
std::string textModeOf(const char* mode);
// The page's message names no file; the failure line names `path`.
int closeFile(std::FILE* stream, const char* label, const std::string& path = {});
std::size_t readFileBytes(void* buffer, std::size_t itemSize, std::size_t count, std::FILE* stream);
int fileStatus(const std::string& path, struct stat* status, const char* label);
std::int64_t gen_file_size(const std::string& path);
const char* getEnvironmentVariable(const char* name, const char* label);
void unbufferStandardOutput();
