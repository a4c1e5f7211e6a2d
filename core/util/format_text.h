#pragma once
// printf-style formatting into a std::string that grows to fit: messages are
// never cut and never written past their storage.
#include <cstdarg>
#include <string>

std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatTextV(const char* format, std::va_list args) __attribute__((format(printf, 1, 0)));

