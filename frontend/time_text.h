#pragma once
// A moment as the front ends write it in records, pages and folder names.
#include <chrono>
#include <string>

enum class TimeStyle {
    isoUtc,      // 2026-12-08T06:35:45Z: run records
    local,       // 2026-12-08 06:35:45: what a request's page says
    localStamp,  // 20261208-063545: a request folder's name
};

// `when` to the second.
std::string timeText(std::chrono::system_clock::time_point when, TimeStyle style);
