#pragma once
// Escaping for the pages the launcher writes and the URLs and queries it
// builds: every byte that could end an attribute, a tag or a query entry.
#include <string>
#include <string_view>

#include "core/util/html_escape.h"

// %-escapes every byte except letters, digits and "-._~"; with
// `keepSlashes` the "/" between path components stays as it is.
std::string percentEncode(std::string_view text, bool keepSlashes = false);
