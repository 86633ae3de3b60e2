// Arbitrary section bytes of an arbitrary size, then a sequence of repair, append and
// remove operations, checked against a model queue. ASan catches any byte touched
// outside the block.
#include "messaging/QueueSection.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

using namespace QueueSection;

namespace {

std::deque<std::string> Records(const std::vector<uint8_t>& block)
{
    std::deque<std::string> records;
    ForEachRecord(block.data(), block.size(), [&](const uint8_t* data, int32_t length) {
        records.emplace_back(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    });
    return records;
}

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    size_t blockSize = (static_cast<size_t>(data[0]) << 8 | data[1]) % (kSectionSize + 1);
    size_t opCount = std::min<size_t>(data[2], (size - 3) / 2);
    const uint8_t* ops = data + 3;
    const uint8_t* content = ops + 2 * opCount;
    std::vector<uint8_t> block(blockSize);
    size_t filled = std::min(blockSize, static_cast<size_t>(data + size - content));
    if (filled > 0)
        std::memcpy(block.data(), content, filled);

    Check(!IsConsistent(block.data(), block.size()) || !Repair(block.data(), block.size()));
    Repair(block.data(), block.size());
    bool usable = blockSize >= static_cast<size_t>(kHeaderSize);
    Check(!usable || IsConsistent(block.data(), block.size()));
    std::deque<std::string> model = Records(block);

    for (size_t i = 0; i < opCount && usable; ++i) {
        uint8_t kind = ops[2 * i], arg = ops[2 * i + 1];
        if (kind % 2 == 0) {
            std::string record(arg, static_cast<char>(i));
            if (Append(block.data(), block.size(), record.data(), static_cast<int32_t>(record.size())))
                model.push_back(record);
        } else {
            std::vector<char> buffer(arg);
            int32_t length = -1;
            bool removed = Remove(block.data(), block.size(), buffer.data(), arg, &length);
            Check(removed == !model.empty());
            if (removed) {
                const std::string& want = model.front();
                Check(length == static_cast<int32_t>(want.size()));
                size_t compared = std::min<size_t>(arg, want.size());
                Check(compared == 0 || std::memcmp(buffer.data(), want.data(), compared) == 0);
                model.pop_front();
            }
        }
        Check(IsConsistent(block.data(), block.size()));
        Check(Records(block) == model);
    }
    return 0;
}
