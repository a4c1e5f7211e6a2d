#include "platform/msanalysis/ms_parameter.h"

#include <charconv>
#include <cmath>

#include "core/util/format_text.h"

namespace {
constexpr const char* collectionInterface = "IMSParameterCollection";
}

ComVariant MSParameter::getValue() const {
    const std::string& text = parameter_.value;
    double number = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number, std::chars_format::general);
    if (!text.empty() && error == std::errc() && stop == end && std::isfinite(number)) return number;
    return text;
}

std::int32_t MSParameterCollection::getCount() const { return static_cast<std::int32_t>(parameters_->size()); }

MSParameter MSParameterCollection::getItem(const ComVariant& index) const {
    const std::int32_t* position = std::get_if<std::int32_t>(&index);
    if (position == nullptr) {
        throw ComError(E_INVALIDARG, "The parameter index must be a 32-bit integer.", collectionInterface);
    }
    if (*position < 1 || *position > getCount()) {
        throw ComError(E_INVALIDARG, formatText("Parameter %d requested; the spectrum has %d.", *position, getCount()),
                       collectionInterface);
    }
    return MSParameter((*parameters_)[static_cast<std::size_t>(*position - 1)]);
}
