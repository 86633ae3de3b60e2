// A letter encoding of bytes: each byte as two letters 'a'..'p', high half first.
#pragma once

// Writes 2 * length letters and a terminator. Fails (0, buffer untouched) on null
// pointers, a length below 1 or a capacity not above 2 * length.
int BytesToLetters(const unsigned char* data, int length, char* buffer, int capacity, int* outLength);

// Decodes pairs of letters; a final odd letter is ignored. Fails (0, buffer untouched)
// when the capacity is below the number of bytes or a pointer is null.
int LettersToBytes(const char* text, unsigned char* buffer, int capacity, int* outLength);
