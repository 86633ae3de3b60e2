#include "tools/DoctorChecks.h"

#include "config/ConfigScanner.h"
#include "config/DeviceConfig.h"
#include "app/ConfigWindowStep.h"
#include "framework/KernelHandle.h"
#include "tools/TextEncoding.h"

#include <windows.h>

namespace {

// The excerpt as one printable line: control bytes become '?'.
std::string Printable(const ConfigSetting& setting)
{
    std::string text = setting.excerpt;
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return "\"" + text + (setting.excerptCut ? "...\"" : "\"");
}

bool IsAsciiLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// The longer word around the key's first appearance in the line's excerpt, or empty
// when the key stands as a word of its own there.
std::string LongerWordAround(const std::string& excerpt, const std::string& key)
{
    std::string lower = excerpt, lowerKey = key;
    for (std::string* text : {&lower, &lowerKey})
        for (char& c : *text)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const size_t at = lower.find(lowerKey);
    if (at == std::string::npos)
        return std::string();
    size_t begin = at, end = at + key.size();
    while (begin > 0 && IsAsciiLetter(excerpt[begin - 1]))
        --begin;
    while (end < excerpt.size() && IsAsciiLetter(excerpt[end]))
        ++end;
    return end - begin > key.size() ? excerpt.substr(begin, end - begin) : std::string();
}

void ReportKey(const ConfigScanner& scanner, size_t k, DoctorReport& report)
{
    const ConfigSetting& setting = scanner.Setting(k);
    std::string key(scanner.KeyName(k));
    std::string where = Printf("line %llu %s", static_cast<unsigned long long>(setting.line), Printable(setting).c_str());
    int32_t defaultValue = kDeviceConfigKeys[k].defaultValue;
    const std::string word = LongerWordAround(setting.excerpt, key);
    if (!word.empty())
        report.Add(Verdict::Warn, "config",
                   Printf("%s = %ld from %s: the key is found inside the longer word \"%s\"", key.c_str(),
                          static_cast<long>(setting.value), where.c_str(), word.c_str()));
    else if (setting.noDigits)
        report.Add(Verdict::Warn, "config",
                   Printf("%s = 0 from %s, which has no digits%s", key.c_str(), where.c_str(),
                          defaultValue ? Printf(": not its default %ld", static_cast<long>(defaultValue)).c_str() : ""));
    else if (setting.saturated)
        report.Add(Verdict::Warn, "config", Printf("%s = %ld from %s: the digits run beyond 2147483647 and stop there",
                                                   key.c_str(), static_cast<long>(setting.value), where.c_str()));
    else if (setting.signDropped)
        report.Add(Verdict::Warn, "config", Printf("%s = %ld from %s: the sign before the digits is not read",
                                                   key.c_str(), static_cast<long>(setting.value), where.c_str()));
    else
        report.Add(Verdict::Ok, "config", Printf("%s = %ld from %s", key.c_str(), static_cast<long>(setting.value), where.c_str()));
    if (setting.repeats)
        report.Add(Verdict::Warn, "config",
                   Printf("%s appears again on %llu later line(s), first line %llu: only line %llu counts", key.c_str(),
                          static_cast<unsigned long long>(setting.repeats),
                          static_cast<unsigned long long>(setting.firstRepeatLine),
                          static_cast<unsigned long long>(setting.line)));
}

const char* Utf16Kind(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16LeBom:
        return "little-endian, with a byte order mark";
    case TextEncoding::Utf16BeBom:
        return "big-endian, with a byte order mark";
    default:
        return "no byte order mark, NUL bytes between the letters";
    }
}

// Line ends of carriage returns alone: the reader ends lines at line feeds only.
bool HasOnlyCrLineEnds(const uint8_t* data, size_t size)
{
    bool loneCr = false;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            return false;
        loneCr = loneCr || (data[i] == '\r' && i + 1 < size);
    }
    return loneCr;
}

// What the file's first bytes tell of its encoding and line ends: the reader matches
// keys byte by byte and ends lines at line feeds.
void CheckEncoding(const std::string& path, DoctorReport& report)
{
    CKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    uint8_t head[4096];
    DWORD got = 0;
    if (!file || !ReadFile(file.Get(), head, sizeof head, &got, nullptr))
        return;
    if (HasOnlyCrLineEnds(head, got))
        report.Add(Verdict::Warn, "config",
                   Printf("%s ends its lines with carriage returns alone: the plug-in reads it as one line, and every "
                          "key on it takes the line's first number; save it with Windows line ends", path.c_str()));
    TextEncoding encoding = DetectTextEncoding(head, got);
    if (encoding == TextEncoding::Utf8Bom)
        report.Add(Verdict::Ok, "config", Printf("%s starts with a UTF-8 byte order mark: harmless, the keys are plain "
                                                 "ASCII", path.c_str()));
    else if (encoding != TextEncoding::Narrow)
        report.Add(Verdict::Warn, "config",
                   Printf("%s is UTF-16 (%s): no key can match, so every key takes its default; save it as ANSI "
                          "(the Chinese code page 936, GBK; Notepad: Encoding \"ANSI\")", path.c_str(), Utf16Kind(encoding)));
}

// Why a file start-up could not read is not there, or is and cannot be opened.
std::string WhyUnread(const std::string& path, DWORD attributes)
{
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return "not found";
    CKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    const DWORD error = file ? ERROR_SUCCESS : GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return "locked by another process (sharing violation)";
    return Printf("there, but it cannot be read (error %lu)", error);
}

}  // namespace

bool CheckConfig(const std::string& path, DoctorReport& report)
{
    ConfigScanner scanner(true);
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        report.Add(Verdict::Warn, "config", Printf("%s is a folder, not a file: every key takes its default", path.c_str()));
    else if (!ScanConfigFile(path.c_str(), scanner))
        report.Add(Verdict::Warn, "config",
                   Printf("%s: %s: every key takes its default", path.c_str(), WhyUnread(path, attributes).c_str()));
    else
        report.Add(Verdict::Ok, "config", Printf("%s: read", path.c_str()));
    CheckEncoding(path, report);
    std::string defaults;
    for (size_t k = 0; k < scanner.KeyCount(); ++k) {
        if (scanner.Setting(k).set)
            ReportKey(scanner, k, report);
        else
            defaults += Printf("%s%s=%ld", defaults.empty() ? "" : ", ", std::string(scanner.KeyName(k)).c_str(),
                               static_cast<long>(scanner.Setting(k).value));
    }
    if (!defaults.empty())
        report.Add(Verdict::Ok, "config", "left at their default: " + defaults);
    DeviceConfig config = DeviceConfigFrom(scanner);
    report.Add(Verdict::Ok, "config",
               Printf("the configuration window %s at the next start (opencount %ld, shownext %ld)",
                      ShouldShowConfigWindow(config) ? "shows" : "does not show", static_cast<long>(config.opencount),
                      static_cast<long>(config.shownext)));
    return ShouldShowConfigWindow(config);
}
