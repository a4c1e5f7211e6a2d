#pragma once
// Wall-clock timing of a whole run, to the second.

class RunTimer {
public:
    int startRunTimer();  // 1 when the calendar time could be read, else 0
    int stopRunTimer();
    double elapsedRunSeconds() const;

private:
    long long start_ = 0;
    long long stop_ = 0;
};
