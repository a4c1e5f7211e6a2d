#include "tools/rungen/synthetic_mzml.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "pwiz/data/msdata/MSDataFile.hpp"

namespace msdata = pwiz::msdata;
namespace cv = pwiz::cv;

msdata::SpectrumPtr syntheticSpectrum(const RunPlan& plan, std::size_t index, const std::string& id,
                                      const PrecursorLabel& label, bool getBinaryData) {
    const PlannedSpectrum& planned = plan.spectra().at(index);
    msdata::SpectrumPtr spectrum(new msdata::Spectrum);
    spectrum->index = index;
    spectrum->id = id;
    spectrum->set(cv::MS_ms_level, planned.msLevel);
    spectrum->set(planned.msLevel == 1 ? cv::MS_MS1_spectrum : cv::MS_MSn_spectrum);
    spectrum->set(cv::MS_positive_scan);
    const bool profile = planned.msLevel == 1 && plan.profileSurveys();
    spectrum->set(profile ? cv::MS_profile_spectrum : cv::MS_centroid_spectrum);

    spectrum->scanList.set(cv::MS_no_combination);
    msdata::Scan scan;
    scan.set(cv::MS_scan_start_time, planned.seconds / 60.0, cv::UO_minute);
    scan.scanWindows.push_back(msdata::ScanWindow(planned.msLevel == 1 ? 300.0 : 50.0, 2000.0, cv::MS_m_z));
    spectrum->scanList.scans.push_back(scan);

    if (planned.msLevel == 2) {
        const Analyte& analyte = plan.analytes()[static_cast<std::size_t>(planned.analyte)];
        msdata::Precursor precursor;
        precursor.isolationWindow.set(cv::MS_isolation_window_target_m_z, analyte.monoisotopicMz, cv::MS_m_z);
        precursor.isolationWindow.set(cv::MS_isolation_window_lower_offset, 1.0, cv::MS_m_z);
        precursor.isolationWindow.set(cv::MS_isolation_window_upper_offset, 1.0, cv::MS_m_z);
        msdata::SelectedIon ion;
        ion.set(cv::MS_selected_ion_m_z, analyte.monoisotopicMz, cv::MS_m_z);
        if (label.withCharge) ion.set(cv::MS_charge_state, analyte.charge);
        precursor.selectedIons.push_back(ion);
        precursor.activation.set(cv::MS_CID);
        precursor.activation.set(cv::MS_collision_energy, label.collisionEnergy, cv::UO_electronvolt);
        spectrum->precursors.push_back(precursor);
    }

    SyntheticPeaks peaks = plan.peaks(index);
    spectrum->defaultArrayLength = peaks.mz.size();
    if (getBinaryData) spectrum->setMZIntensityArrays(peaks.mz, peaks.intensity, cv::MS_number_of_detector_counts);
    return spectrum;
}

void writeSyntheticMzML(const msdata::MSData& data, const std::string& path, bool gzip) {
    // The library's compressing writer spins forever on a file it could not
    // create, so it is created here first.
    if (!std::ofstream(path)) throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    msdata::MSDataFile::WriteConfig config(msdata::MSDataFile::Format_mzML, gzip);
    config.binaryDataEncoderConfig.compression = msdata::BinaryDataEncoder::Compression_Zlib;
    config.binaryDataEncoderConfig.precisionOverrides[cv::MS_intensity_array] = msdata::BinaryDataEncoder::Precision_32;
    msdata::MSDataFile::write(data, path, config);
}
