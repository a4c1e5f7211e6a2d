#include "core/peaks/fragment_charge.h"

namespace {
// The upper bounds of charges 1 and 2 sit one unit in the last place above
// 1.14 and 0.57.
constexpr double kSingleLower = 0.86;
constexpr double kSingleUpper = 1.1400000000000001;
constexpr double kDoubleLower = 0.43;
constexpr double kDoubleUpper = 0.5700000000000001;
constexpr double kTripleLower = 0.28;
constexpr double kTripleUpper = 0.38;
}  // namespace

std::int32_t chargeFromIsotopeSpacing(double lowerMz, double higherMz, std::int32_t maxCharge) {
    const double spacing = higherMz - lowerMz;
    if (spacing < 0.0) return 0;
    if (spacing > kSingleLower && spacing < kSingleUpper) return maxCharge >= 1 ? 1 : 0;
    if (spacing > kDoubleLower && spacing < kDoubleUpper) return maxCharge >= 2 ? 2 : 0;
    if (spacing > kTripleLower && spacing < kTripleUpper) return maxCharge >= 3 ? 3 : 0;
    return 0;
}

std::int32_t chargeFromFragmentsAbovePrecursor(const PeakList& list, const KestranePeak& parent) {
    const std::size_t n = list.size();
    if (n >= 3 && list[n - 3].mOverZ <= parent.mOverZ + 3.0) return 1;
    return parent.charge;
}
