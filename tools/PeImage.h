// What a Windows executable file declares, read from its bytes without loading it:
// whether it is a 32-bit x86 library, the names it exports and the libraries it imports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PeImage {
    bool valid = false;          // a PE32 file whose headers and directories lie inside it
    bool isX86Library = false;   // machine i386, library flag set
    std::vector<std::string> exports;  // exported names
    std::vector<std::string> imports;  // imported library names, as written
    std::string problem;         // why it is not valid
};

// Every offset is checked against size; counts beyond what the block can hold stop the
// walk with a problem noted.
PeImage ReadPeImage(const uint8_t* data, size_t size);
