#include "yepharvest/run_reader.h"

// Until the vendor-data stand-in is connected, no run can be opened: the
// table stays empty and the driver reports the failed read.
int readVelmoraDataIntoMemory(const std::string& /*runPath*/) { return 1; }
