// What a Windows executable file declares, read from its bytes without loading it:
// its machine, whether it is a library, the names it exports and the libraries it imports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PeImage {
    bool valid = false;          // a PE32 or PE32+ file whose headers and directories lie inside it
    uint16_t machine = 0;        // kPeMachineI386, kPeMachineAmd64 or another
    bool isLibrary = false;      // the library flag is set
    std::vector<std::string> exports;  // exported names
    std::vector<std::string> imports;  // imported library names, as written
    std::string problem;         // why it is not valid
};

constexpr uint16_t kPeMachineI386 = 0x14C;
constexpr uint16_t kPeMachineAmd64 = 0x8664;

// "x86 (32-bit)", "x86-64 (64-bit)", or the machine's number in hex.
std::string PeMachineName(uint16_t machine);

// Every offset is checked against size; counts beyond what the block can hold stop the
// walk with a problem noted.
PeImage ReadPeImage(const uint8_t* data, size_t size);
