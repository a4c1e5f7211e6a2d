#include "tools/report/mgf_charges.h"

#include <fstream>
#include <set>

#include "core/extractor/peak_list_formats.h"

std::optional<std::map<std::string, int>> readMgfCharges(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::map<std::string, int> charges;
    std::string line;
    std::string title;
    int charge = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "BEGIN IONS") {
            title.clear();
            charge = 0;
        } else if (line.rfind("TITLE=", 0) == 0) {
            title = line.substr(6);
        } else if (line.rfind("CHARGE=", 0) == 0) {
            // "2+", or "2+ and 3+" as other writers state several: the first.
            charge = std::atoi(line.c_str() + 7);
        } else if (line == "END IONS") {
            charges[title] = charge;
        }
    }
    return charges;
}

std::vector<std::string> addStatedCharges(std::vector<WrittenSpectrum>& spectra, const std::string& peakListDir,
                                          const std::string& run) {
    std::set<int> samples;
    for (const WrittenSpectrum& spectrum : spectra) samples.insert(spectrum.sample);
    std::vector<std::string> read;
    for (const int sample : samples) {
        const std::string path = peakListDir + (sample == 1 ? run : run + "_" + std::to_string(sample)) +
                                 peakListFormatEntry(PeakListFormat::mgf).ending;
        const std::optional<std::map<std::string, int>> charges = readMgfCharges(path);
        if (!charges) continue;
        read.push_back(path);
        for (WrittenSpectrum& spectrum : spectra) {
            if (spectrum.sample != sample) continue;
            const std::string title = spectrum.name.size() > 4 ? spectrum.name.substr(0, spectrum.name.size() - 4) : "";
            if (const auto found = charges->find(title); found != charges->end()) spectrum.statedCharge = found->second;
        }
    }
    return read;
}
