// Checks that run the client's own code (a class-object entry, a library's attach) each
// in a child process of the doctor, bounded in time with every process it starts, so
// that a fault, a hang or an exit in that code ends the child and never the doctor. The
// child reports on a pipe of its own; what the checked code prints is dropped.
#pragma once

#include "tools/DoctorReport.h"

#include <string>

struct ChildOutcome {
    // Ended: the child ended before its closing report, not by a fault.
    enum class Kind { Finished, Faulted, Ended, TimedOut, NotStarted };
    Kind kind = Kind::NotStarted;
    unsigned long code = 0;  // the child's exit code (a fault's exception), or the start error
};

// Runs the doctor again with the hidden check argument for library in directory, waits
// at most boundMs, and adds the findings the child reports to report as they arrive.
ChildOutcome RunCheckInChild(const std::string& library, const std::string& directory, unsigned long boundMs,
                             DoctorReport& report);

// True when the doctor was started as such a child.
bool IsCheckChild(int argc, char** argv);
// The child's side: runs the one check, reports each finding at once and then the
// closing line; exits 0 when done, with the exception's code when the library's code faults.
int RunAsCheckChild();
