#pragma once
// /cgi-bin/results?archive=NAME: one request's files as one download, made
// while it is sent by Debian's tar and gzip. It holds the request folder
// (its records, its report, and its peak lists and logs when they went
// there) and the files the run wrote into folders the request named; it
// unpacks to the same paths under the results root.
#include <string>

#include "web/launcher/launch_config.h"

// Writes the whole response to standard output; returns the launcher's exit
// status (0 when a response was written).
int sendArchive(const LaunchConfig& config, const std::string& requestName);
