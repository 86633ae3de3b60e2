#include "messaging/ChannelMessage.h"

#include <cstring>

bool PackChannelMessage(ChannelMessage* message, uint8_t type, int32_t value, int32_t length,
                        const void* data)
{
    std::memset(message, 0, sizeof *message);
    if (length < 0 || length > kChannelPayloadSize || (length > 0 && !data))
        return false;
    message->type = type;
    message->value = value;
    message->length = length;
    if (length > 0)
        std::memcpy(message->payload, data, static_cast<size_t>(length));
    return true;
}

bool DecodeChannelMessage(const void* record, int32_t recordLength, ChannelMessage* message)
{
    if (recordLength != kChannelMessageSize)
        return false;
    std::memcpy(message, record, sizeof *message);
    return message->length >= 0 && message->length <= kChannelPayloadSize;
}
