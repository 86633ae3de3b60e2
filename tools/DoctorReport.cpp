#include "tools/DoctorReport.h"

#include <cstdio>

namespace {

std::string JsonString(const std::string& utf8)
{
    std::string quoted = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

}  // namespace

const char* VerdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Ok:
        return "OK";
    case Verdict::Warn:
        return "WARN";
    case Verdict::Fail:
        return "FAIL";
    }
    return "?";
}

void DoctorReport::Add(Verdict verdict, std::string area, std::string text)
{
    m_findings.push_back({verdict, std::move(area), std::move(text)});
    if (m_listener)
        m_listener(*this, m_findings.size() - 1);
}

int DoctorReport::Count(Verdict verdict) const
{
    int count = 0;
    for (const Finding& finding : m_findings)
        count += finding.verdict == verdict;
    return count;
}

int DoctorReport::ExitCode() const { return Count(Verdict::Fail) ? 1 : 0; }

std::string DoctorReport::SummaryLine() const
{
    char counts[96];
    std::snprintf(counts, sizeof counts, "zrkdoctor: %d OK, %d WARN, %d FAIL: ", Count(Verdict::Ok),
                  Count(Verdict::Warn), Count(Verdict::Fail));
    return counts + std::string(ExitCode() ? "start-up would fail or lose a component"
                                           : "start-up would succeed with every component bound");
}

std::string DoctorReport::Entry(size_t index, bool json, Utf8Converter toUtf8) const
{
    const Finding& finding = m_findings[index];
    if (!json) {
        char head[32];
        std::snprintf(head, sizeof head, "%-4s  %-9s  ", VerdictName(finding.verdict), finding.area.c_str());
        return head + finding.text + "\n";
    }
    return std::string(index ? ",\n  " : "\n  ") + "{\"verdict\": " + JsonString(VerdictName(finding.verdict)) +
           ", \"area\": " + JsonString(toUtf8(finding.area)) + ", \"text\": " + JsonString(toUtf8(finding.text)) + "}";
}

std::string DoctorReport::Tail(bool json) const
{
    if (!json)
        return SummaryLine() + "\n";
    return "],\n \"ok\": " + std::to_string(Count(Verdict::Ok)) + ", \"warn\": " + std::to_string(Count(Verdict::Warn)) +
           ", \"fail\": " + std::to_string(Count(Verdict::Fail)) + ", \"exitCode\": " + std::to_string(ExitCode()) +
           ",\n \"summary\": " + JsonString(SummaryLine()) + "}\n";
}

std::string DoctorReport::Text() const
{
    std::string text;
    for (size_t i = 0; i < m_findings.size(); ++i)
        text += Entry(i, false, nullptr);
    return text + Tail(false);
}

std::string DoctorReport::Json(Utf8Converter toUtf8) const
{
    std::string json = Head(true);
    for (size_t i = 0; i < m_findings.size(); ++i)
        json += Entry(i, true, toUtf8);
    return json + Tail(true);
}
