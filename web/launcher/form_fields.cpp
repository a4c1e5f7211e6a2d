#include "web/launcher/form_fields.h"

namespace {

const std::vector<FormField>& allFields() {
    static const std::vector<FormField> fields = {
        {"xtractorDataFilename", "Data and folders", FieldKind::Text, "",
         "The run's data file under the data root (a path without a leading / starts there): a run folder's "
         "X.d/Analysis.yep, the folder holding Analysis.mzML or Analysis.mzXML (plain or .gz), or an export file "
         "itself. Pick one of the runs found below or type a path.",
         "yepharvest", {}},
        {"xtractorDataFilename", "Data and folders", FieldKind::Text, "",
         "The .wiff file under the data root (a path without a leading / starts there); its folder holds the "
         "exports <run>.mzML or <run>-<sample>.mzML. Pick one of the runs found below or type a path.",
         "wiffharvest", {}},
        {"resultsXtractorDir", "Data and folders", FieldKind::Text, "",
         "Folder of the .pkl peak lists, under the results root. Leave empty: every request gets a new folder named "
         "after the run and the time, with peaklists/ and logs/ in it.",
         "", {}},
        {"logFileDir", "Data and folders", FieldKind::Text, "",
         "Folder of the four logs (spectrum features, reject reasons, charge check, run statistics), under the "
         "results root; they are appended to. Leave empty for the request's own folder.",
         "", {}},
        {"specFeaturesFilename", "Data and folders", FieldKind::Text, "specFeatures.txt",
         "File name of the spectrum-features log in the log folder: a plain file name, no folders.", "", {}},
        {"xtractorMode", "Data and folders", FieldKind::Choice, "",
         "Normal extraction writes the logs; Q-Tof Xtractor writes the shorter Q-Tof spectrum-features columns; "
         "Peak-Picker also sends the program's page to output_filename.htm in the peak-list folder.",
         "",
         {{"", "Normal extraction"}, {"Q-Tof Xtractor", "Q-Tof Xtractor"}, {"Peak-Picker", "Peak-Picker"}}},
        {"peakListFormat", "Data and folders", FieldKind::Choice, "pkl",
         "One .pkl file per spectrum, one MGF file per run (per sample of a .wiff file) for today's search "
         "engines, or both.",
         "",
         {{"pkl", ".pkl files"}, {"mgf", "one MGF file"}, {"both", "both"}}},
        {"output_filename", "Data and folders", FieldKind::Text, "",
         "Mode Peak-Picker only: name of the results page (.htm is added), a plain file name.", "", {}},

        {"groupScans", "Merging", FieldKind::Integer, "15",
         "MS/MS spectra of one precursor at most this many scans apart are merged into one peak list.", "", {}},
        {"parentTolerance", "Merging", FieldKind::Real, "0.5",
         "Precursor m/z tolerance (Th) of merging, charge determination, filters and precursor intensities.", "",
         {}},

        {"autoCharge", "Charge", FieldKind::Choice, "",
         "Find: fragments, survey scans and b/y pairs decide the charge. Default: only singly charged spectra get a "
         "charge. Fixed: every spectrum gets the charges lowCharge to highCharge (the programs' default).",
         "yepharvest",
         {{"", "Fixed: lowCharge to highCharge"}, {"Find", "Find"}, {"Default", "Default"}}},
        {"lowCharge", "Charge", FieldKind::Integer, "4", "Lowest fixed charge (with a fixed charge only).", "yepharvest", {}},
        {"highCharge", "Charge", FieldKind::Integer, "4", "Highest fixed charge (with a fixed charge only).", "yepharvest", {}},
        {"maxCharge", "Charge", FieldKind::Integer, "5",
         "Highest charge considered, and the last charge counted in the run statistics.", "", {}},
        {"findMonoisotopicParent", "Charge", FieldKind::Choice, "0",
         "Move each precursor to its monoisotopic peak in the preceding survey scan.", "yepharvest",
         {{"0", "No"}, {"1", "Yes"}}},
        {"minMSsignalNoise", "Charge", FieldKind::Integer, "50",
         "Signal-to-noise ratio a survey-scan peak needs to count as evidence of the precursor's charge.", "yepharvest", {}},
        {"chargeFromSurveyIsotopes", "Charge", FieldKind::Choice, "0",
         "With Find or Default: spectra left without a charge, or called singly charged by their fragments, take the "
         "charge that their precursor's resolved isotope envelope shows in the preceding high-resolution survey "
         "scan, when it is unambiguous.",
         "yepharvest", {{"0", "No"}, {"1", "Yes"}}},

        {"firstScan", "Filters", FieldKind::Integer, "1", "First scan number taken.", "", {}},
        {"lastScan", "Filters", FieldKind::Integer, wholeRunLastScan,
         "Last scan number taken. Filled in to take the whole run: the programs' own default of 9999 would silently "
         "drop every later scan, and today's runs have tens of thousands.",
         "", {}},
        {"lowParent", "Filters", FieldKind::Real, "500.0", "Lowest precursor M+H (Da) taken.", "", {}},
        {"highParent", "Filters", FieldKind::Real, "5000.0", "Highest precursor M+H (Da) taken.", "", {}},
        {"maxSequenceTagLength", "Filters", FieldKind::Integer, "0",
         "A spectrum is written only when its longest sequence tag is longer than this; 0 drops only spectra "
         "without any tag.",
         "", {}},

        {"minSignalNoiseRatio", "Peak picking", FieldKind::Integer, "5",
         "Signal-to-noise ratio a fragment peak needs to be kept (instrument.txt may set its own).", "", {}},
        {"peakLimitCount", "Peak picking", FieldKind::Integer, "25",
         "Peaks kept per window in peak picking (instrument.txt may set its own).", "", {}},

        {"cys", "Cysteine modification", FieldKind::Cysteine, "pyridylethylation",
         "Cysteine modification of the sample, from msparams_quarrow/cysteines.tsv. A -mix reagent pair adds the "
         "light and heavy intensity columns to the spectrum features.",
         "", {}},
    };
    return fields;
}

}  // namespace

const std::vector<std::string>& formGroups() {
    static const std::vector<std::string> groups = {"Data and folders", "Merging", "Charge", "Filters", "Peak picking",
                                                    "Cysteine modification"};
    return groups;
}

std::vector<FormField> formFields(const std::string& program) {
    std::vector<FormField> fields;
    for (const FormField& field : allFields()) {
        if (field.program.empty() || field.program == program) fields.push_back(field);
    }
    return fields;
}
