// The doctor's findings: one line each (OK, WARN, FAIL) with the area it concerns,
// rendered as text or JSON, and the exit code they add up to.
#pragma once

#include <functional>
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
    using Utf8Converter = std::string (*)(const std::string&);
    // Told of each finding as it is added, so a report is never lost.
    using Listener = std::function<void(const DoctorReport&, size_t index)>;

    void Add(Verdict verdict, std::string area, std::string text);
    void SetListener(Listener listener) { m_listener = std::move(listener); }

    const std::vector<Finding>& Findings() const { return m_findings; }
    // 0 when start-up would succeed with every component bound; 1 after any FAIL.
    int ExitCode() const;
    std::string SummaryLine() const;
    // One line per finding, then the summary line.
    std::string Text() const;
    // The same findings as one JSON object; toUtf8 converts the findings' narrow texts.
    std::string Json(Utf8Converter toUtf8) const;
    // The pieces of both, in order: head, each finding's entry, tail (the text's head is empty).
    static std::string Head(bool json) { return json ? "{\"findings\": [" : ""; }
    std::string Entry(size_t index, bool json, Utf8Converter toUtf8) const;
    std::string Tail(bool json) const;

private:
    int Count(Verdict verdict) const;

    std::vector<Finding> m_findings;
    Listener m_listener;
};

const char* VerdictName(Verdict verdict);
