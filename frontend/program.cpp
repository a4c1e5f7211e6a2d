#include "frontend/program.h"

#include <algorithm>
#include <cctype>

std::string programName(Program program) {
    return program == Program::wiffharvest ? "wiffharvest" : "yepharvest";
}

std::string programVariable(Program program) {
    std::string name = programName(program);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return "QUARROW_" + name;
}

std::optional<Program> programNamed(std::string_view name) {
    for (const Program program : allPrograms) {
        if (name == programName(program)) return program;
    }
    return std::nullopt;
}

bool readBy(const QueryKey& key, Program program) {
    switch (key.programs) {
        case KeyPrograms::both: return true;
        case KeyPrograms::yepharvest: return program == Program::yepharvest;
        case KeyPrograms::wiffharvest: return program == Program::wiffharvest;
    }
    return false;
}
