#include "tools/report/charge_agreement.h"

ChargeAgreement chargeAgreement(const std::vector<WrittenSpectrum>& spectra) {
    ChargeAgreement counts;
    for (const WrittenSpectrum& spectrum : spectra) {
        ++counts.written;
        if (spectrum.charge == 1) ++counts.singlyCharged;
        if (!spectrum.instrumentCharge) continue;
        ++counts.withInstrumentCharge;
        if (spectrum.charge == 0) continue;
        ++counts.charged;
        if (spectrum.charge == *spectrum.instrumentCharge) ++counts.agreeing;
    }
    return counts;
}

std::string chargeAgreementTable(const std::vector<std::pair<int, ChargeAgreement>>& samples) {
    std::string table = "sample\twritten\tsingly_charged\tinstrument_charged\tcharged\tagreeing\n";
    for (const auto& [sample, a] : samples) {
        const long counts[] = {sample, a.written, a.singlyCharged, a.withInstrumentCharge, a.charged};
        for (const long value : counts) table += std::to_string(value) + "\t";
        table += std::to_string(a.agreeing) + "\n";
    }
    return table;
}
