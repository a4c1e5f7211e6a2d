#pragma once
// The chemistry tables are process-wide and load once, from msparams_quarrow/
// under the working directory: every case loads them in a child process of
// its own, inside a folder of its choosing.
#include <functional>
#include <map>
#include <string>

#include "core/chemistry/amino_acids.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

// Runs `body` in a child whose working directory is `folder`, with the last
// error number cleared, as at the start of a request.
ChildResult runInFolder(const std::string& folder, const std::function<void()>& body);

// A temporary working folder holding the shipped parameter files, with
// `fileName` in it replaced by `content` when a name is given.
class ParameterFolder {
public:
    ParameterFolder();
    void replace(const std::string& fileName, const std::string& content) const;
    // The shipped file with every occurrence of `from` replaced by `to`.
    void edit(const std::string& fileName, const std::string& from, const std::string& to) const;
    const std::string& path() const { return dir_.path(); }

private:
    TempDir dir_;
};

// What the default error printer shows for a fatal message.
std::string fatalBanner(const std::string& message);

// "key value" lines printed by a child, as a map.
std::map<std::string, std::string> keyValueLines(const std::string& output);

// The usual start-up call with the given cysteine modification.
ChemistryTables startChemistry(const std::string& cysteineModification);
