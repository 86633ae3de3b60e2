#include "tools/ChildChannel.h"

#include <cstring>

namespace {

const char kVerdictLetters[] = "OWF";
const char kClosingLine[] = ".\n";
// A line longer than any finding: the rest of it is dropped, so memory stays bounded.
constexpr size_t kLongestLine = 16 * 1024;

}  // namespace

std::string ChannelLine(const Finding& finding)
{
    return std::string(1, kVerdictLetters[static_cast<int>(finding.verdict)]) + "\t" + finding.area + "\t" +
           finding.text + "\n";
}

const char* ChannelClosingLine() { return kClosingLine; }

void ChannelReader::Feed(const char* bytes, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] == '\n') {
            TakeLine(std::move(m_pending));
            m_pending.clear();
        } else if (m_pending.size() < kLongestLine) {
            m_pending += bytes[i];
        }
    }
}

void ChannelReader::TakeLine(std::string line)
{
    if (m_bClosed)
        return;  // nothing after the closing line counts
    if (line + "\n" == kClosingLine) {
        m_bClosed = true;
        return;
    }
    const size_t areaEnd = line.find('\t', 2);
    const char* letter = line.size() > 2 && line[1] == '\t' && line[0] ? std::strchr(kVerdictLetters, line[0]) : nullptr;
    if (letter && areaEnd != std::string::npos)
        m_report.Add(static_cast<Verdict>(letter - kVerdictLetters), line.substr(2, areaEnd - 2),
                     line.substr(areaEnd + 1));
}
