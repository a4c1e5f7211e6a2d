#pragma once
// The frame of every page the launcher writes, with the same two style
// sheets as the programs' own pages.
#include <string>
#include <string_view>

inline constexpr const char* htmlHeader = "Content-Type: text/html\n\n";

std::string pageStart(std::string_view title);
std::string pageEnd();

// A complete response that only says why a request is not carried out.
std::string errorResponse(int status, std::string_view title, std::string_view reason);
