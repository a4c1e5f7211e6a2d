#include "platform/com/com_runtime.h"

#include <utility>

#include "core/util/format_text.h"

HRESULT comInitialize() { return S_OK; }
void comUninitialize() {}

std::string systemMessageText(HRESULT status) {
    return knownSystemMessageText(status).value_or(formatText("Unknown error 0x%08X", static_cast<unsigned>(status)));
}

std::optional<std::string> knownSystemMessageText(HRESULT status) {
    switch (status) {
        case S_OK: return "The operation completed successfully";
        case E_NOTIMPL: return "Not implemented";
        case E_NOINTERFACE: return "No such interface supported";
        case E_POINTER: return "Invalid pointer";
        case E_FAIL: return "Unspecified error";
        case E_OUTOFMEMORY: return "Not enough memory resources are available to complete this operation";
        case E_INVALIDARG: return "The parameter is incorrect";
        case E_FILENOTFOUND: return "The system cannot find the file specified";
        default: return std::nullopt;
    }
}

ComError::ComError(HRESULT status, std::string description, std::string interfaceName)
    : code_(status), description_(std::move(description)), interfaceName_(std::move(interfaceName)) {}
