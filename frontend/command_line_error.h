#pragma once
// What the command line's reading throws for an argument that no run can
// take: its message is for people, and the tool prints it with its usage.
#include <stdexcept>

class CommandLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
