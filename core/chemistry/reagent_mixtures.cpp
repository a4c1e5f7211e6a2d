#include "core/chemistry/reagent_mixtures.h"

#include "core/chemistry/amino_acids.h"

bool cysIsMixture(std::string_view cys) {
    const std::string_view tail = cys.size() > 4 ? cys.substr(cys.size() - 4) : cys;
    return tail == "-mix";
}

double mixtureMassDifference(std::string_view cys, const GroupMasses& groups) {
    if (cys == "ICAT-mix") return groups.deuterium8Shift;
    if (cys == "N-ethyl-acetamide-mix") return groups.deuterium5Shift;
    if (cys == "leuCAT-mix") return groups.carbon13Shift6;
    if (cys == "cICAT-mix") return groups.carbon13Shift9;
    return 0.0;
}
