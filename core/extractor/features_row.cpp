#include "core/extractor/features_row.h"

#include "core/chemistry/reagent_mixtures.h"

void writeFeaturesRowTail(LogSink& out, const SpecFeatures& f, const std::string& cys) {
    out.print("\t%d\t%d\t%s", f.BYpairs, f.maxSequenceTagLength, f.maxSequenceTag.c_str());
    out.print("\t%s", cys.c_str());
    if (!cysIsMixture(cys)) return;
    for (const double intensity :
         {f.ICATlightIntensity, f.ICATheavyIntensity, f.ICATlightIntensity2, f.ICATheavyIntensity2}) {
        out.print("\t%0.0f", intensity);
    }
}
