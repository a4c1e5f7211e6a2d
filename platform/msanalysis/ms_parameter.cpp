#include "platform/msanalysis/ms_parameter.h"

#include "core/util/format_text.h"

namespace {
constexpr const char* collectionInterface = "IMSParameterCollection";
}

ComVariant MSParameter::getValue() const {
    if (const std::optional<double> number = numberInText(parameter_.value)) return *number;
    return parameter_.value;
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
