// How a settings file's first bytes are encoded, as far as the plug-in's byte-wise
// reader cares: GBK or ASCII it reads; UTF-16 hides every key between NUL bytes.
#pragma once

#include <cstddef>
#include <cstdint>

enum class TextEncoding { Narrow, Utf8Bom, Utf16LeBom, Utf16BeBom, Utf16NoBom };

// Looks at a byte order mark, else for an ASCII letter, a NUL and a letter in a row.
TextEncoding DetectTextEncoding(const uint8_t* data, size_t size);
