// The channel a check child reports on, apart from anything the checked code prints:
// one finding per line (verdict letter, area and text, separated by tabs), then a
// closing line that says the child got through its check. No Win32 here.
#pragma once

#include "tools/DoctorReport.h"

#include <string>

// A finding as the child writes it.
std::string ChannelLine(const Finding& finding);
// The line that ends a complete report.
const char* ChannelClosingLine();

// Takes the channel's bytes in pieces of any size and adds each whole finding line to
// the report as it completes; malformed lines are dropped.
class ChannelReader {
public:
    explicit ChannelReader(DoctorReport& report) : m_report(report) {}
    void Feed(const char* bytes, size_t size);
    bool Closed() const { return m_bClosed; }

private:
    void TakeLine(std::string line);

    DoctorReport& m_report;
    std::string m_pending;
    bool m_bClosed = false;
};
