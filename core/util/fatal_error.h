#pragma once
// The one way out of the process after an unrecoverable error.
#include <string>
#include <string_view>

using ErrorPrinter = void (*)(std::string_view text);

// The default printer, in force until the start-up installs writeErrorPage.
void printErrorBanner(std::string_view text);
// A null printer leaves the current one in place.
void setErrorPrinter(ErrorPrinter printer);

// Adds the run-time library's description of the last error number (when it
// is not zero), hands the text to the error printer and exits with status 1.
[[noreturn]] void reportFatalError(const std::string& message);
