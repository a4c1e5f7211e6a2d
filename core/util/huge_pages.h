#pragma once
// A run's table is written once, page by page, and on the machines we run
// on every first touch of a 4 KiB page is a costly trap into the kernel:
// tens of thousands of them were a third of a run's time. With transparent
// huge pages the kernel maps such memory in 2 MiB pieces. The C library's
// allocator asks for them when its tunable says so, and it reads its
// tunables before main, so the program starts itself once more with the
// tunable in its environment.

// Replaces the process with `program` started with `argv` and
// "glibc.malloc.hugetlb=1" added to GLIBC_TUNABLES; returns at once when
// that tunable is set already (by the start before, or by whoever started
// the program), and, with the environment as it was, when `program` cannot
// be started.
void startAgainWithHugePages(const char* program, char* const argv[]);
