#pragma once
// The id of an mzML export's `run` element, read from the text itself: the
// converter library names the run after the file whenever the `mzML`
// element carries no id of its own.
#include <optional>
#include <string>
#include <string_view>

// Reads the export (plain or gzip-compressed) only up to the `run` start
// tag. Nothing when the file cannot be read or holds no `run` element with
// an id before its spectra.
std::optional<std::string> readRunElementId(const std::string& path);

// The same on text already in memory; nothing also when the text ends
// before the `run` start tag is complete.
std::optional<std::string> findRunElementId(std::string_view text);
