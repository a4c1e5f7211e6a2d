#pragma once
// Wall-clock timing of a whole run, to the second.

int startRunTimer();   // 1 when the calendar time could be read, else 0
int stopRunTimer();
double elapsedRunSeconds();
