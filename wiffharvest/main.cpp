#include <cerrno>

#include "wiffharvest/run_driver.h"

int main() {
    // Fatal messages quote the last library error; start from none.
    errno = 0;
    return runWiffharvest();
}
