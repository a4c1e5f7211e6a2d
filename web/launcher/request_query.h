#pragma once
// The query of one request, read the way the programs read it.
#include <cstddef>
#include <optional>
#include <string>

// Larger bodies are refused: the rewritten query travels in one environment
// variable, where every escaped byte takes three.
inline constexpr std::size_t maxQueryBytes = 32 * 1024;

// A non-empty QUERY_STRING, otherwise CONTENT_LENGTH bytes of standard
// input (fewer when it ends early); nullopt when the query is too long.
std::optional<std::string> readRequestQuery();
