#pragma once
// What every fuzz target needs: fatal errors that come back to the target
// instead of ending the fuzzing process, and a private folder for the files
// the code under test reads from disk.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Thrown by the error printer that fuzzInitialise installs: a fatal error
// is an expected outcome of bad input, not a finding.
struct FatalErrorReached {};

// Installs the throwing error printer, sends standard output (progress and
// error lines) to /dev/null, creates the private folder holding a copy of the
// shipped parameter files and makes it the working directory (the code under
// test finds them there), so corpus and artifact paths must be absolute.
void fuzzInitialise();

// A path in the private folder.
std::string fuzzFile(const std::string& name);
void writeFuzzFile(const std::string& path, std::string_view content);

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}
