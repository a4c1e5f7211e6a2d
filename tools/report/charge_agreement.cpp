#include "tools/report/charge_agreement.h"

#include <algorithm>

int givenCharge(const WrittenSpectrum& spectrum) { return spectrum.statedCharge.value_or(spectrum.charge); }

ChargeAgreement chargeAgreement(const std::vector<WrittenSpectrum>& spectra) {
    ChargeAgreement counts;
    for (const WrittenSpectrum& spectrum : spectra) {
        const int charge = givenCharge(spectrum);
        ++counts.written;
        ++counts.stated[charge];
        if (!spectrum.instrumentCharge) continue;
        ++counts.withInstrumentCharge;
        if (charge == 0) continue;
        ++counts.charged;
        if (charge == *spectrum.instrumentCharge) ++counts.agreeing;
    }
    return counts;
}

std::string chargeAgreementTable(const std::vector<std::pair<int, ChargeAgreement>>& samples) {
    int highest = 3;
    for (const auto& [sample, a] : samples) {
        if (!a.stated.empty()) highest = std::max(highest, a.stated.rbegin()->first);
    }
    std::string table = "sample\twritten\tsingly_charged\tinstrument_charged\tcharged\tagreeing\topen";
    for (int z = 1; z <= highest; ++z) table += "\tstated_" + std::to_string(z);
    table += "\n";
    for (const auto& [sample, a] : samples) {
        const auto stated = [&](int z) { return a.stated.contains(z) ? a.stated.at(z) : 0L; };
        const long counts[] = {sample, a.written, a.singlyCharged(), a.withInstrumentCharge, a.charged, a.agreeing,
                               stated(0)};
        std::string row;
        for (const long value : counts) row += (row.empty() ? "" : "\t") + std::to_string(value);
        for (int z = 1; z <= highest; ++z) row += "\t" + std::to_string(stated(z));
        table += row + "\n";
    }
    return table;
}
