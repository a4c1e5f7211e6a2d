#include "core/peaks/parent_peak.h"

#include "core/chemistry/amino_acids.h"
#include "core/chemistry/ion_masses.h"

KestranePeak makeParentKestranePeak(double mOverZ, std::int32_t charge, double tolerance, const GroupMasses& masses) {
    KestranePeak parent;
    parent.mOverZ = mOverZ;
    parent.charge = charge;
    parent.mPlusH = singlyChargedMass(mOverZ, charge, masses.H);
    parent.tolerance = tolerance;
    parent.intensity = 0.0;
    return parent;
}
