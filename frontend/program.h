#pragma once
// Which of the two programs reads a run. Front ends decide by this value and
// write its name only where people or the programs' own files see it.
#include <optional>
#include <string>
#include <string_view>

#include "core/extractor/query_keys.h"

enum class Program { yepharvest, wiffharvest };

inline constexpr Program allPrograms[] = {Program::yepharvest, Program::wiffharvest};

// "yepharvest", "wiffharvest": the binary's name, its URL and its record.
std::string programName(Program program);
// The variable that names its binary: "QUARROW_YEPHARVEST".
std::string programVariable(Program program);
// Nothing for any other name (names are case-sensitive).
std::optional<Program> programNamed(std::string_view name);

// Whether `program` reads `key` (the table's programs column).
bool readBy(const QueryKey& key, Program program);
