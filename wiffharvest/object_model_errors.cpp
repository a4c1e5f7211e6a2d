#include "wiffharvest/object_model_errors.h"

#include <cstdint>

#include "core/util/format_text.h"

namespace {

std::string errorMessage(HRESULT code) {
    if (const std::optional<std::string> text = knownSystemMessageText(code)) return *text;
    const auto bits = static_cast<std::uint32_t>(code);
    if (bits >= 0x80040200u && bits <= 0x8004FFFFu && (bits & 0xFFFFu) - 0x200u != 0) {
        return formatText("IDispatch error #%d", static_cast<int>((bits & 0xFFFFu) - 0x200u));
    }
    return formatText("Unknown error 0x%0lX", static_cast<unsigned long>(bits));
}

}  // namespace

PageHtml objectModelErrorText(const ComError& error) {
    // The description names the files involved, which come from the query.
    return PageHtml("ERROR\r\n\r\nDescription:" + error.description() + "\r\nError Message:" + errorMessage(error.code()));
}
