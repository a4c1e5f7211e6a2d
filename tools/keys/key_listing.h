#pragma once
// The key table as people and scripts read it: a tab-separated listing for
// the workflow, the README's tables, and the command line's help.
#include <string>

// One header line, then one line per key in table order: key, type, the
// programs that read it, the programs' default ("" when absent), the front
// ends' default, the range, the group, 1 for a key no stage reads, label, help.
std::string keysTsv();
// One table per group; keys no stage reads in a last table of their own.
std::string keysMarkdown();
