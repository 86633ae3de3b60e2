#include "config/ConfigScanner.h"

#include "config/ConfigLine.h"

#include <cstring>
#include <deque>

const ConfigKey kDeviceConfigKeys[kDeviceConfigKeyCount] = {
    {"fullscreen", 1}, {"width", 800}, {"height", 600}, {"ddriver", 0},
    {"music", 1},      {"bitDepth", 16}, {"effect", 1}, {"sound", 1},
    {"fps", 1},        {"render", 0},   {"opencount", 0}, {"shownext", 1},
};

namespace {

bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

unsigned char LowerAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

}  // namespace

ConfigScanner::ConfigScanner(bool noteRepeats)
    : ConfigScanner(kDeviceConfigKeys, kDeviceConfigKeyCount, noteRepeats)
{
}

ConfigScanner::ConfigScanner(const ConfigKey* keys, size_t count, bool noteRepeats)
    : m_noteRepeats(noteRepeats)
{
    if (count > kMaxKeys)
        count = kMaxKeys;
    std::vector<std::string> lowerKeys;
    for (size_t i = 0; i < count; ++i) {
        m_names.push_back(keys[i].name);
        ConfigSetting setting;
        setting.value = keys[i].defaultValue;
        m_settings.push_back(setting);
        lowerKeys.push_back(LowerAsciiGbk(keys[i].name));
        m_allMask |= uint64_t{1} << i;
    }
    BuildMatcher(lowerKeys);
    StartLine();
}

// A complete automaton over the lower-cased keys (a trie whose missing edges follow the
// longest suffix that is also a key prefix): one table look-up per byte for all keys.
void ConfigScanner::BuildMatcher(const std::vector<std::string>& lowerKeys)
{
    m_next.assign(256, 0);
    m_output.assign(1, 0);
    for (size_t k = 0; k < lowerKeys.size(); ++k) {
        if (lowerKeys[k].size() > kMaxKeyLength)
            continue;
        uint16_t state = 0;
        for (unsigned char c : lowerKeys[k]) {
            if (m_next[state * 256u + c] == 0) {
                m_next[state * 256u + c] = static_cast<uint16_t>(m_output.size());
                m_next.resize(m_next.size() + 256, 0);
                m_output.push_back(0);
            }
            state = m_next[state * 256u + c];
        }
        m_output[state] |= uint64_t{1} << k;
    }
    for (unsigned c = 0; c < 256; ++c)
        m_starts[c] = c == '\0' || c == '\n' || IsDigit(c) || IsGbkLeadByte(c) || m_next[LowerAscii(c)] != 0;
    std::vector<uint16_t> fail(m_output.size(), 0);
    std::deque<uint16_t> pending;
    for (unsigned c = 0; c < 256; ++c)
        if (m_next[c] != 0)
            pending.push_back(m_next[c]);
    while (!pending.empty()) {
        uint16_t state = pending.front();
        pending.pop_front();
        m_output[state] |= m_output[fail[state]];
        for (unsigned c = 0; c < 256; ++c) {
            uint16_t& edge = m_next[state * 256u + c];
            uint16_t fallback = m_next[fail[state] * 256u + c];
            if (edge != 0) {
                fail[edge] = fallback;
                pending.push_back(edge);
            } else {
                edge = fallback;
            }
        }
    }
}

void ConfigScanner::StartLine()
{
    m_lineHasBytes = false;
    m_state = 0;
    m_lineMask = m_output[0];  // an empty key is in every line
    m_afterNul = false;
    m_trailNext = false;
    m_pendingCr = false;
    m_digits = Digits::None;
    m_value = 0;
    m_saturated = false;
    m_signDropped = false;
    m_previous = 0;
    m_excerpt.clear();
    m_excerptCut = false;
}

void ConfigScanner::EndLine()
{
    for (size_t k = 0; k < m_settings.size(); ++k) {
        if (!(m_lineMask >> k & 1))
            continue;
        ConfigSetting& setting = m_settings[k];
        if (setting.set) {
            if (setting.repeats++ == 0)
                setting.firstRepeatLine = m_line;
            continue;
        }
        setting.set = true;
        setting.value = m_value;
        setting.line = m_line;
        setting.excerpt = m_excerpt;
        setting.excerptCut = m_excerptCut;
        setting.noDigits = m_digits == Digits::None;
        setting.saturated = m_saturated;
        setting.signDropped = m_signDropped;
    }
    m_setMask |= m_lineMask;
    ++m_line;
    StartLine();
}

void ConfigScanner::TakeByte(unsigned char c)
{
    if (c == '\0') {
        m_afterNul = true;  // the line ends at its first NUL, as a C string would
        return;
    }
    if (m_excerpt.size() < kExcerptLength)
        m_excerpt.push_back(static_cast<char>(c));
    else
        m_excerptCut = true;
    if (m_digits == Digits::None && IsDigit(c)) {
        m_digits = Digits::InRun;
        m_value = c - '0';
        m_signDropped = m_previous == '-' || m_previous == '+';
    } else if (m_digits == Digits::InRun) {
        if (!IsDigit(c)) {
            m_digits = Digits::Done;
        } else if (m_value > (INT32_MAX - (c - '0')) / 10) {
            m_value = INT32_MAX;  // saturates, and stays there
            m_saturated = true;
        } else {
            m_value = m_value * 10 + (c - '0');
        }
    }
    m_previous = c;
    // Lower-cased as LowerAsciiGbk does: a lead byte's trail byte is kept as it is.
    unsigned char matched = c;
    if (m_trailNext)
        m_trailNext = false;
    else if (IsGbkLeadByte(c))
        m_trailNext = true;
    else
        matched = LowerAscii(c);
    m_state = m_next[m_state * 256u + matched];
    m_lineMask |= m_output[m_state];
}

// Where the matcher rests (no key begun, no digit run open, the excerpt full), a byte
// that starts nothing leaves every state as it is: such runs are skipped in one loop.
const char* ConfigScanner::SkipInert(const char* data, const char* end)
{
    if (m_afterNul || m_state != 0 || m_trailNext || m_digits == Digits::InRun || m_excerpt.size() < kExcerptLength)
        return data;
    const char* start = data;
    while (data < end && !m_starts[static_cast<unsigned char>(*data)])
        ++data;
    if (data != start) {
        m_excerptCut = true;
        m_previous = static_cast<unsigned char>(data[-1]);
    }
    return data;
}

void ConfigScanner::Feed(const char* data, size_t size)
{
    const char* end = data + size;
    while (data < end && !Done()) {
        if (m_afterNul) {
            const void* newline = std::memchr(data, '\n', static_cast<size_t>(end - data));
            if (!newline)
                return;
            data = static_cast<const char*>(newline);
        }
        unsigned char c = static_cast<unsigned char>(*data++);
        if (c == '\n') {
            EndLine();
            continue;
        }
        m_lineHasBytes = true;
        if (m_pendingCr) {
            m_pendingCr = false;
            TakeByte('\r');
        }
        if (c == '\r') {
            m_pendingCr = true;  // a CR that ends the line is not part of it
            continue;
        }
        TakeByte(c);
        data = SkipInert(data, end);
    }
}

void ConfigScanner::Finish()
{
    if (m_lineHasBytes)
        EndLine();
}
