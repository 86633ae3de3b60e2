#include "tools/DoctorChecks.h"

#include "config/ConfigScanner.h"
#include "config/DeviceConfig.h"
#include "app/PluginApp.h"

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

void ReportKey(const ConfigScanner& scanner, size_t k, DoctorReport& report)
{
    const ConfigSetting& setting = scanner.Setting(k);
    std::string key(scanner.KeyName(k));
    std::string where = Printf("line %llu %s", static_cast<unsigned long long>(setting.line), Printable(setting).c_str());
    int32_t defaultValue = kDeviceConfigKeys[k].defaultValue;
    if (setting.noDigits)
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

}  // namespace

void CheckConfig(const std::string& path, DoctorReport& report)
{
    ConfigScanner scanner(true);
    if (!ScanConfigFile(path.c_str(), scanner))
        report.Add(Verdict::Warn, "config", Printf("%s: not found: every key takes its default", path.c_str()));
    else
        report.Add(Verdict::Ok, "config", Printf("%s: read", path.c_str()));
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
}
