// The doctor's findings: one line each (OK, WARN, FAIL) with the area it concerns,
// rendered as text or JSON, and the exit code they add up to.
#pragma once

#include <string>
#include <vector>

enum class Verdict { Ok, Warn, Fail };

struct Finding {
    Verdict verdict;
    std::string area;
    std::string text;
};

class DoctorReport {
public:
    void Add(Verdict verdict, std::string area, std::string text);

    const std::vector<Finding>& Findings() const { return m_findings; }
    // 0 when start-up would succeed with every component bound; 1 after any FAIL.
    int ExitCode() const;
    std::string SummaryLine() const;
    // One line per finding, then the summary line.
    std::string Text() const;
    // The same findings as one JSON object; toUtf8 converts the findings' narrow texts.
    std::string Json(std::string (*toUtf8)(const std::string&)) const;

private:
    int Count(Verdict verdict) const;

    std::vector<Finding> m_findings;
};

const char* VerdictName(Verdict verdict);
