#pragma once
// SIGTERM, SIGINT and SIGHUP (a cluster's time limit, Ctrl-C, a closed
// terminal, a launcher given up) end a run as a fatal error does: the error
// page saying so, the files still being written removed, exit status 1.
// Nothing of that may be done in a signal handler, which may interrupt a
// thread holding a lock or half-way through a file name, so the signals are
// blocked in every thread and a thread of their own waits for them and takes
// the fatal path. The rows the logs still hold in memory are not written:
// the stages go on beside that thread until the process ends, and the logs
// must not be written from under them.
//
// A SIGPIPE (what read the progress has gone: a launcher killed) takes the
// same way out, the message naming it, where SIGTERM is watched.
//
// Called first in main, before any other thread exists (a thread inherits the
// mask of the one that makes it). A signal the starter chose to ignore
// (nohup, a launcher that must outlive its browser) stays ignored.
void endTheRunOnStopSignals();
