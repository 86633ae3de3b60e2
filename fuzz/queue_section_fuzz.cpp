// Arbitrary section bytes of an arbitrary size, then a sequence of repair, append and
// remove operations, checked against a model queue. Then the same operations again
// while a peer that ignores the mutex rewrites counts, end offsets and lengths between
// the reads of each operation: records may be garbled, but ASan catches any byte
// touched outside the block, and a repair afterwards leaves a consistent queue.
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

std::deque<std::string> RecordStrings(const std::vector<uint8_t>& block)
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

// Rewrites the block after every read, as the input's rewrite script says: four bytes
// per read choose nothing, the count, the end offset, the length field of one of the
// first records (found by following the chain as it stands) or any aligned place, and
// a value from the ones that hurt most.
class Rewriter : public ReadObserver {
public:
    Rewriter(std::vector<uint8_t>& block, const uint8_t* script, size_t size)
        : m_block(block), m_script(script), m_size(size)
    {
    }
    void AfterRead() override
    {
        if (m_at + 4 > m_size || m_block.size() < 8)
            return;
        const uint8_t* step = m_script + m_at;
        m_at += 4;
        size_t where = 0;
        switch (step[0] % 5) {
        case 0: return;
        case 1: where = 0; break;
        case 2: where = 4; break;
        case 3: where = LengthField(step[1] % 4); break;
        default: where = (static_cast<size_t>(step[1]) << 8 | step[2]) % (m_block.size() / 4) * 4;
        }
        int32_t size = static_cast<int32_t>(m_block.size());
        const int32_t values[] = {INT32_MAX, size, size + 4, 0x10000, -1, INT32_MIN, 0, 1, 31, step[2] * 16};
        int32_t value = values[step[3] % (sizeof values / sizeof values[0])];
        std::memcpy(m_block.data() + where, &value, sizeof value);
    }

private:
    std::vector<uint8_t>& m_block;
    const uint8_t* m_script;
    size_t m_size;
    size_t m_at = 0;

    // Offset of the k-th record's length field, or of the header when the chain ends.
    size_t LengthField(size_t k) const
    {
        size_t at = 8;
        for (; k > 0 && at + 4 <= m_block.size(); --k) {
            int32_t length;
            std::memcpy(&length, m_block.data() + at, sizeof length);
            if (length < 0 || static_cast<size_t>(length) > m_block.size())
                return 0;
            at += 4 + static_cast<size_t>(length);
        }
        return at + 4 <= m_block.size() ? at : 0;
    }
};

void RunOp(std::vector<uint8_t>& block, uint8_t kind, uint8_t arg, size_t i, ReadObserver* observer,
           std::deque<std::string>* model)
{
    if (kind % 2 == 0) {
        std::string record(arg, static_cast<char>(i));
        bool appended = Append(block.data(), block.size(), record.data(), static_cast<int32_t>(record.size()),
                               observer);
        if (appended && model)
            model->push_back(record);
        return;
    }
    std::vector<char> buffer(arg);
    int32_t length = -1;
    bool removed = Remove(block.data(), block.size(), buffer.data(), arg, &length, observer);
    Check(!removed || (length >= 0 && length <= kMaxRecordLength));
    if (!model)
        return;
    Check(removed == !model->empty());
    if (removed) {
        const std::string& want = model->front();
        Check(length == static_cast<int32_t>(want.size()));
        size_t compared = std::min<size_t>(arg, want.size());
        Check(compared == 0 || std::memcmp(buffer.data(), want.data(), compared) == 0);
        model->pop_front();
    }
}

}  // namespace

// Input: 2 bytes block size, 1 byte operation count, 2 bytes per operation, then the
// section's bytes; the same bytes serve as the rewrite script of the second pass.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    size_t blockSize = (static_cast<size_t>(data[0]) << 8 | data[1]) % (kSectionSize + 1);
    size_t opCount = std::min<size_t>(data[2], (size - 3) / 2);
    const uint8_t* ops = data + 3;
    const uint8_t* content = ops + 2 * opCount;
    size_t contentSize = static_cast<size_t>(data + size - content);
    std::vector<uint8_t> block(blockSize);
    size_t filled = std::min(blockSize, contentSize);
    if (filled > 0)
        std::memcpy(block.data(), content, filled);

    Check(!IsConsistent(block.data(), block.size()) || !Repair(block.data(), block.size()));
    Repair(block.data(), block.size());
    bool usable = blockSize >= static_cast<size_t>(kHeaderSize);
    Check(!usable || IsConsistent(block.data(), block.size()));
    std::deque<std::string> model = RecordStrings(block);

    for (size_t i = 0; i < opCount && usable; ++i) {
        RunOp(block, ops[2 * i], ops[2 * i + 1], i, nullptr, &model);
        Check(IsConsistent(block.data(), block.size()));
        Check(RecordStrings(block) == model);
    }

    Rewriter rewriter(block, content, contentSize);
    for (size_t i = 0; i < opCount && usable; ++i) {
        Repair(block.data(), block.size(), &rewriter);
        RunOp(block, ops[2 * i], ops[2 * i + 1], i, &rewriter, nullptr);
        IsConsistent(block.data(), block.size(), &rewriter);
        ForEachRecord(block.data(), block.size(), [&](const uint8_t* record, int32_t length) {
            Check(record >= block.data() && record + length <= block.data() + block.size());
        });
    }
    Repair(block.data(), block.size());
    Check(!usable || IsConsistent(block.data(), block.size()));
    return 0;
}
