#pragma once
// Stand-in for the COM run-time of the system the programs were designed
// for: apartment set-up, status codes, the error that a failing call raises
// and the system's message text of a status.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_FILENOTFOUND = static_cast<HRESULT>(0x80070002u);  // "file not found" as a status

constexpr bool FAILED(HRESULT status) { return status < 0; }

// A variant as the components hand values over: empty, a 32-bit integer, a
// double or a string.
using ComVariant = std::variant<std::monostate, std::int32_t, double, std::string>;

// There is no apartment to set up here: both succeed and do nothing.
HRESULT comInitialize();
void comUninitialize();

// The system's message text of a status; "Unknown error 0x%08X" for one it
// does not know.
std::string systemMessageText(HRESULT status);
// The same, or nothing for a status the system has no text for.
std::optional<std::string> knownSystemMessageText(HRESULT status);

// What a failing call raises: its status, the component's description of the
// failure (may be empty) and the interface whose operation failed.
class ComError {
public:
    ComError(HRESULT status, std::string description, std::string interfaceName);

    HRESULT code() const { return code_; }
    const std::string& description() const { return description_; }
    const std::string& interfaceName() const { return interfaceName_; }
    // The system message text of the code.
    std::string errorMessage() const { return systemMessageText(code_); }

private:
    HRESULT code_;
    std::string description_;
    std::string interfaceName_;
};
