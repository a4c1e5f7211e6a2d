#pragma once
// The query of one request, read the way the programs read it, and the
// rewritten query handed on to them.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/util/cgi_query.h"

// Larger bodies are refused: the rewritten query travels in one environment
// variable, where every escaped byte takes three.
inline constexpr std::size_t maxQueryBytes = 32 * 1024;

// A non-empty QUERY_STRING, otherwise CONTENT_LENGTH bytes of standard
// input (fewer when it ends early); nullopt when the query is too long.
std::optional<std::string> readRequestQuery();

// Every name and value %-escaped and joined with "&", so that the programs'
// parser gives back exactly these entries.
std::string encodeQuery(const std::vector<QueryEntry>& entries);
