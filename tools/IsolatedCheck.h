// Checks that run the client's own code (a class-object entry, a library's attach) each
// in a child process of the doctor, bounded in time, so that a fault or a hang in that
// code ends the child and never the doctor.
#pragma once

#include "tools/DoctorReport.h"

#include <string>

struct ChildOutcome {
    enum class Kind { Finished, Faulted, TimedOut, NotStarted };
    Kind kind = Kind::NotStarted;
    unsigned long code = 0;  // the exception that ended a faulted child, or the start error
};

// Runs the doctor again with the hidden check argument for library in directory, waits
// at most boundMs, and adds the findings the child printed to report as they arrive.
ChildOutcome RunCheckInChild(const std::string& library, const std::string& directory, unsigned long boundMs,
                             DoctorReport& report);

// True when the doctor was started as such a child.
bool IsCheckChild(int argc, char** argv);
// The child's side: runs the one check, prints each finding at once; exits 0 when done,
// with the exception's code when the library's code faults.
int RunAsCheckChild();
