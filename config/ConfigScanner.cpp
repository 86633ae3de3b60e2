#include "config/ConfigScanner.h"

#include "config/ConfigLine.h"

#include <cstring>

namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

unsigned char LowerAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

constexpr uint8_t kSpecialByte = 1;
constexpr uint8_t kDigitByte = 2;

struct ByteClasses {
    uint8_t of[256];
};

constexpr ByteClasses MakeByteClasses()
{
    ByteClasses classes{};
    for (unsigned b = 0; b < 256; ++b)
        classes.of[b] = b == '\n' || b == '\r' || b == '\0' || IsGbkLeadByte(static_cast<unsigned char>(b)) ? kSpecialByte
                        : b >= '0' && b <= '9'                                                    ? kDigitByte
                                                                                                  : 0;
    return classes;
}

constexpr ByteClasses kByteClasses = MakeByteClasses();

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
    std::vector<uint16_t> next(256, 0);
    next.reserve((kMaxKeyBytes + 1) * 256);
    m_output.assign(1, 0);
    size_t keyBytes = 0;
    for (size_t k = 0; k < lowerKeys.size(); ++k) {
        keyBytes += lowerKeys[k].size();
        if (keyBytes > kMaxKeyBytes)
            break;  // at most 256 states, so that a row's offset fits in 16 bits
        uint16_t state = 0;
        for (unsigned char c : lowerKeys[k]) {
            if (next[state * 256u + c] == 0) {
                next[state * 256u + c] = static_cast<uint16_t>(m_output.size());
                next.resize(next.size() + 256, 0);
                m_output.push_back(0);
            }
            state = next[state * 256u + c];
        }
        m_output[state] |= uint64_t{1} << k;
    }
    std::vector<uint16_t> fail(m_output.size(), 0);
    std::vector<uint16_t> pending;  // breadth first: a state's fallback is settled before it
    for (unsigned c = 0; c < 256; ++c)
        if (next[c] != 0)
            pending.push_back(next[c]);
    for (size_t head = 0; head < pending.size(); ++head) {
        uint16_t state = pending[head];
        m_output[state] |= m_output[fail[state]];
        for (unsigned c = 0; c < 256; ++c) {
            uint16_t& edge = next[state * 256u + c];
            uint16_t fallback = next[fail[state] * 256u + c];
            if (edge != 0) {
                fail[edge] = fallback;
                pending.push_back(edge);
            } else {
                edge = fallback;
            }
        }
    }
    m_raw.resize(next.size());
    m_folded.resize(next.size());
    for (size_t i = 0; i < next.size(); ++i) {
        m_raw[i] = static_cast<uint16_t>(next[i] * 256u);
        m_folded[i] = static_cast<uint16_t>(next[i - i % 256 + LowerAscii(static_cast<unsigned char>(i % 256))] * 256u);
    }
    for (unsigned c = 0; c < 256; ++c)
        m_startsKey[c] = m_folded[c] != 0;
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
    if (m_trailNext) {
        m_trailNext = false;
        m_state = m_raw[m_state + c];
    } else {
        m_trailNext = IsGbkLeadByte(c);
        m_state = m_folded[m_state + c];
    }
    m_lineMask |= m_output[m_state >> 8];
}

// The common case in one tight loop: bytes that are not line ends, NULs, CRs, GBK lead
// bytes or (until the line's number is known) digits only move the matcher.
const char* ConfigScanner::RunPlain(const char* data, const char* end)
{
    if (m_afterNul || m_pendingCr || m_trailNext || m_digits == Digits::InRun || m_excerpt.size() < kExcerptLength)
        return data;
    const uint8_t stop = m_digits == Digits::Done ? kSpecialByte : kSpecialByte | kDigitByte;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* last = reinterpret_cast<const unsigned char*>(end);
    const unsigned char* start = p;
    const uint16_t* folded = m_folded.data();
    const uint64_t* output = m_output.data();
    uint16_t state = m_state;
    uint64_t lineMask = m_lineMask;
    while (p < last) {
        if (state == 0)  // bytes that begin no key leave the first state as it is
            while (p < last && !m_startsKey[*p] && !(kByteClasses.of[*p] & stop))
                ++p;
        if (p == last || (kByteClasses.of[*p] & stop))
            break;
        state = folded[state + *p++];
        lineMask |= output[state >> 8];
    }
    m_state = state;
    m_lineMask = lineMask;
    if (p != start) {
        m_lineHasBytes = true;
        m_excerptCut = true;
        m_previous = p[-1];
    }
    return reinterpret_cast<const char*>(p);
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
        data = RunPlain(data, end);
    }
}

void ConfigScanner::Finish()
{
    if (m_lineHasBytes)
        EndLine();
}
