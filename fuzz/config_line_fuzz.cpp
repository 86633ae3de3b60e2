// Arbitrary files and keys through the devconfig.txt readers: the one-pass scanner, fed
// in chunks of varying size, must agree with matching each line on its own.
#include "config/ConfigLine.h"
#include "config/ConfigScanner.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

struct Expected {
    bool set = false;
    int32_t value = 0;
    uint64_t line = 0;
};

// The reading the scanner replaced: lines split at LF, a CR before it dropped, and for
// each key the first line that MatchConfigLine accepts.
Expected ReadLineByLine(std::string_view file, std::string_view key, int32_t defaultValue)
{
    Expected expected;
    expected.value = defaultValue;
    std::string lowerKey = LowerAsciiGbk(key);
    uint64_t number = 0;
    size_t start = 0;
    while (start < file.size()) {
        size_t end = file.find('\n', start);
        if (end == std::string_view::npos)
            end = file.size();
        std::string_view line = file.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++number;
        int32_t value = 0;
        if (MatchConfigLine(line, lowerKey, &value)) {
            expected = {true, value, number};
            break;
        }
        start = end + 1;
    }
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    size_t chunk = 1 + data[0] % 7;
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t split = input.find('\n');
    std::string_view key = split == std::string_view::npos ? "width" : input.substr(0, split);
    std::string_view file = split == std::string_view::npos ? input : input.substr(split + 1);

    // The device keys (their matcher built once, copied per input) and the input's key.
    static const ConfigScanner deviceScanner;
    ConfigScanner device = deviceScanner;
    const ConfigKey inputKey[] = {{key, -1}};
    ConfigScanner single(inputKey, 1);
    for (size_t at = 0; at < file.size(); at += chunk) {
        device.Feed(file.data() + at, std::min(chunk, file.size() - at));
        single.Feed(file.data() + at, std::min(chunk, file.size() - at));
    }
    device.Finish();
    single.Finish();

    for (size_t k = 0; k <= kDeviceConfigKeyCount; ++k) {
        bool isInput = k == kDeviceConfigKeyCount;
        const ConfigKey& wanted = isInput ? inputKey[0] : kDeviceConfigKeys[k];
        Expected expected = isInput && key.size() > ConfigScanner::kMaxKeyBytes
                                ? Expected{false, -1, 0}
                                : ReadLineByLine(file, wanted.name, wanted.defaultValue);
        const ConfigSetting& got = isInput ? single.Setting(0) : device.Setting(k);
        if (got.set != expected.set || got.value != expected.value || got.line != expected.line)
            __builtin_trap();
        if (got.set && (got.value < 0 || got.excerpt.size() > ConfigScanner::kExcerptLength))
            __builtin_trap();
    }
    return 0;
}
