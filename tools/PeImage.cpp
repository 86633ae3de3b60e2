#include "tools/PeImage.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint16_t kFlagLibrary = 0x2000;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr size_t kMaxNames = 65536;
constexpr size_t kMaxNameLength = 512;

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawOffset;
    uint32_t rawSize;
};

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Fits(uint64_t offset, uint64_t length) const { return offset <= m_size && length <= m_size - offset; }
    uint16_t U16(size_t offset) const { return static_cast<uint16_t>(m_data[offset] | m_data[offset + 1] << 8); }
    uint32_t U32(size_t offset) const
    {
        uint32_t value;
        std::memcpy(&value, m_data + offset, sizeof value);
        return value;
    }
    // A zero-terminated name at a file offset; false when it runs off the file or too long.
    bool Name(size_t offset, std::string* name) const
    {
        if (offset >= m_size)
            return false;
        size_t limit = m_size - offset < kMaxNameLength ? m_size - offset : kMaxNameLength;
        const void* end = std::memchr(m_data + offset, 0, limit);
        if (!end)
            return false;
        name->assign(reinterpret_cast<const char*>(m_data + offset),
                     static_cast<size_t>(static_cast<const uint8_t*>(end) - (m_data + offset)));
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

// The file offset of an address inside the loaded image, through the section table.
bool FileOffset(const std::vector<Section>& sections, uint32_t rva, size_t* offset)
{
    for (const Section& section : sections) {
        uint32_t span = section.virtualSize ? section.virtualSize : section.rawSize;
        if (rva >= section.virtualAddress && rva - section.virtualAddress < span &&
            rva - section.virtualAddress < section.rawSize) {
            *offset = static_cast<size_t>(section.rawOffset) + (rva - section.virtualAddress);
            return true;
        }
    }
    return false;
}

bool ReadExports(const Reader& file, const std::vector<Section>& sections, uint32_t rva, PeImage* image)
{
    size_t directory;
    if (!FileOffset(sections, rva, &directory) || !file.Fits(directory, 40))
        return false;
    uint32_t count = file.U32(directory + 0x18);
    size_t names;
    if (count == 0)
        return true;
    if (count > kMaxNames || !FileOffset(sections, file.U32(directory + 0x20), &names) ||
        !file.Fits(names, uint64_t{count} * 4))
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        size_t at;
        std::string name;
        if (!FileOffset(sections, file.U32(names + i * 4), &at) || !file.Name(at, &name))
            return false;
        image->exports.push_back(name);
    }
    return true;
}

bool ReadImports(const Reader& file, const std::vector<Section>& sections, uint32_t rva, PeImage* image)
{
    size_t descriptor;
    if (!FileOffset(sections, rva, &descriptor))
        return false;
    for (size_t i = 0; i < kMaxNames; ++i, descriptor += 20) {
        if (!file.Fits(descriptor, 20))
            return false;
        uint32_t nameRva = file.U32(descriptor + 12);
        if (nameRva == 0)
            return true;  // the all-zero descriptor ends the table
        size_t at;
        std::string name;
        if (!FileOffset(sections, nameRva, &at) || !file.Name(at, &name))
            return false;
        image->imports.push_back(name);
    }
    return false;
}

PeImage Problem(PeImage image, const char* problem)
{
    image.valid = false;
    image.problem = problem;
    return image;
}

}  // namespace

std::string PeMachineName(uint16_t machine)
{
    if (machine == kPeMachineI386)
        return "x86 (32-bit)";
    if (machine == kPeMachineAmd64)
        return "x86-64 (64-bit)";
    char hex[32];
    std::snprintf(hex, sizeof hex, "machine 0x%04x", machine);
    return hex;
}

PeImage ReadPeImage(const uint8_t* data, size_t size)
{
    PeImage image;
    Reader file(data, size);
    if (!file.Fits(0, 0x40) || data[0] != 'M' || data[1] != 'Z')
        return Problem(image, "no executable header");
    uint32_t pe = file.U32(0x3C);
    if (!file.Fits(pe, 24) || std::memcmp(data + pe, "PE\0\0", 4) != 0)
        return Problem(image, "no PE header");
    uint16_t machine = file.U16(pe + 4);
    uint16_t sectionCount = file.U16(pe + 6);
    uint16_t optionalSize = file.U16(pe + 20);
    uint16_t flags = file.U16(pe + 22);
    size_t optional = pe + 24;
    // The data directories follow the optional header's fixed part: 96 bytes in PE32,
    // 112 in PE32+, whose image base and stack sizes are 64-bit.
    if (!file.Fits(optional, 2))
        return Problem(image, "not a PE32 or PE32+ image");
    uint16_t magic = file.U16(optional);
    size_t directories = magic == kMagicPe32 ? 96 : magic == kMagicPe32Plus ? 112 : 0;
    if (!directories || !file.Fits(optional, optionalSize) || optionalSize < directories)
        return Problem(image, "not a PE32 or PE32+ image");
    image.machine = machine;
    image.isLibrary = (flags & kFlagLibrary) != 0;
    uint32_t directoryCount = file.U32(optional + directories - 4);
    size_t tableAt = optional + optionalSize;
    if (!file.Fits(tableAt, uint64_t{sectionCount} * 40))
        return Problem(image, "section table outside the file");
    std::vector<Section> sections;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        size_t at = tableAt + i * 40u;
        sections.push_back({file.U32(at + 12), file.U32(at + 8), file.U32(at + 20), file.U32(at + 16)});
    }
    auto directory = [&](uint32_t index) -> uint32_t {
        size_t at = optional + directories + index * 8;
        return index < directoryCount && at + 8 <= tableAt ? file.U32(at) : 0;
    };
    if (directory(0) && !ReadExports(file, sections, directory(0), &image))
        return Problem(image, "export directory outside the file");
    if (directory(1) && !ReadImports(file, sections, directory(1), &image))
        return Problem(image, "import directory outside the file");
    image.valid = true;
    return image;
}
