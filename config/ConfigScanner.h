// devconfig.txt read in one pass for a set of keys, chunk by chunk, in bounded memory:
// a line is matched as its bytes stream by and never buffered beyond a short excerpt.
// Each key keeps the first line that contains it (any case), as ConfigLine matches one.
#pragma once

#include "config/DeviceConfigKeys.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ConfigKey {
    std::string_view name;
    int32_t defaultValue;
};

// The keys of the device record, in record order, with their defaults.
#define DEVICE_CONFIG_KEY(field, defaultValue) {#field, defaultValue},
inline constexpr ConfigKey kDeviceConfigKeys[] = {DEVICE_CONFIG_ROWS(DEVICE_CONFIG_KEY)};
#undef DEVICE_CONFIG_KEY
constexpr size_t kDeviceConfigKeyCount = sizeof kDeviceConfigKeys / sizeof kDeviceConfigKeys[0];

// What the file did to one key: the value, and the line that set it when one did.
struct ConfigSetting {
    bool set = false;
    int32_t value = 0;      // the default until a line sets it
    uint64_t line = 0;      // from 1
    std::string excerpt;    // the start of that line, up to its first NUL, at most kExcerptLength bytes
    bool excerptCut = false;
    // How that line gave its value: no digit at all (0), a run beyond INT32_MAX, a sign
    // before the digits that was not read.
    bool noDigits = false;
    bool saturated = false;
    bool signDropped = false;
    // Later lines read that hold the key too (all of them when the scanner notes repeats).
    uint64_t repeats = 0;
    uint64_t firstRepeatLine = 0;
};

class ConfigScanner {
public:
    static constexpr size_t kExcerptLength = 60;
    static constexpr size_t kMaxKeys = 64;
    static constexpr size_t kMaxKeyBytes = 255;

    // At most kMaxKeys keys; later ones are ignored. Names match without regard to case;
    // an empty name matches every line. Names are matched while their lengths add up to
    // at most kMaxKeyBytes; a name beyond that is never found.
    // noteRepeats reads the whole file to count the lines each key's first one hides.
    ConfigScanner(const ConfigKey* keys, size_t count, bool noteRepeats = false);
    // The keys of the device record.
    explicit ConfigScanner(bool noteRepeats = false);

    // The next bytes of the file, in any chunking.
    void Feed(const char* data, size_t size);
    // The end of the file: a last line without a line feed still counts.
    void Finish();
    // True once every key is set: the rest of the file cannot change anything.
    bool AllSet() const { return m_setMask == m_allMask; }
    // True when no further byte can change a result.
    bool Done() const { return !m_noteRepeats && AllSet(); }

    size_t KeyCount() const { return m_settings.size(); }
    std::string_view KeyName(size_t index) const { return m_names[index]; }
    const ConfigSetting& Setting(size_t index) const { return m_settings[index]; }

private:
    enum class Digits : uint8_t { None, InRun, Done };

    void BuildMatcher(const std::vector<std::string>& lowerKeys);
    void TakeByte(unsigned char c);
    void EndLine();
    void StartLine();
    const char* RunPlain(const char* data, const char* end);

    std::vector<std::string_view> m_names;
    std::vector<ConfigSetting> m_settings;
    // Matcher states are kept as state * 256, the row's offset in the move tables.
    std::vector<uint16_t> m_raw;      // state x trail byte -> state
    std::vector<uint16_t> m_folded;   // state x any other byte, lower-cased -> state
    std::vector<uint64_t> m_output;   // keys that end at each state
    bool m_startsKey[256] = {};       // bytes that leave the first state
    uint64_t m_allMask = 0;
    uint64_t m_setMask = 0;
    bool m_noteRepeats = false;

    uint64_t m_line = 1;
    bool m_lineHasBytes = false;
    uint16_t m_state = 0;
    uint64_t m_lineMask = 0;
    bool m_afterNul = false;
    bool m_trailNext = false;
    bool m_pendingCr = false;
    Digits m_digits = Digits::None;
    int32_t m_value = 0;
    bool m_saturated = false;
    bool m_signDropped = false;
    unsigned char m_previous = 0;
    std::string m_excerpt;
    bool m_excerptCut = false;
};

static_assert(kDeviceConfigKeyCount <= ConfigScanner::kMaxKeys, "the scanner takes every device key");
