#pragma once
// A command line refused before anything runs, with a message for people.
#include <stdexcept>

class CommandLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
