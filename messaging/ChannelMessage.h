// The fixed 2068-byte record that GameSite appends to the queue, and its packing and
// decoding. Portable: the queue reader and the native tests use it too.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t kChannelPayloadSize = 2056;

// Little-endian on every target we build for; the layout is read by another process.
struct ChannelMessage {
    uint8_t type;          // 6, 7 or 8
    uint8_t reserved[3];   // zero
    int32_t value;         // PostType8's value; 0 otherwise
    uint8_t payload[kChannelPayloadSize];
    int32_t length;        // payload bytes in use
};
static_assert(sizeof(ChannelMessage) == 2068, "a message is 2068 bytes");
static_assert(offsetof(ChannelMessage, type) == 0, "type at 0");
static_assert(offsetof(ChannelMessage, reserved) == 1, "zero bytes at 1..3");
static_assert(offsetof(ChannelMessage, value) == 4, "value at 4");
static_assert(offsetof(ChannelMessage, payload) == 8, "payload at 8");
static_assert(offsetof(ChannelMessage, length) == 2064, "length at 2064");

constexpr int32_t kChannelMessageSize = static_cast<int32_t>(sizeof(ChannelMessage));

// Fills message: zero everywhere, then type, value, length and the payload bytes.
// False, with message all zero, when length is outside 0..2056 or data is null for a
// non-empty payload: such a call is refused rather than cut.
bool PackChannelMessage(ChannelMessage* message, uint8_t type, int32_t value, int32_t length,
                        const void* data);

// Reads a record taken from the queue; false when it is not exactly one message or
// its length field lies outside 0..2056.
bool DecodeChannelMessage(const void* record, int32_t recordLength, ChannelMessage* message);
