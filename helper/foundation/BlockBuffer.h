// The 64-byte block buffering shared by the MD5 and SHA-1 checksums.
#pragma once

#include <windows.h>

#include <cstring>

// Adds `length` bytes to a running message: whole 64-byte blocks go to `transform`, the rest
// waits in `buffer` for the next call. `bitCount` is the message length in bits so far, low
// word first; both words wrap as the checksums define.
template <typename Word, typename Transform>
void UpdateBlockBuffer(BYTE (&buffer)[64], Word (&bitCount)[2], const BYTE* data, Word length,
                       Transform transform) {
    static_assert(sizeof(Word) == 4, "the bit count is kept in two 32-bit words");
    Word used = (bitCount[0] >> 3) & 63;
    const Word low = bitCount[0] + (length << 3);
    if (low < bitCount[0])
        ++bitCount[1];
    bitCount[0] = low;
    bitCount[1] += length >> 29;

    Word i = 0;
    if (used + length >= 64) {
        i = 64 - used;
        std::memcpy(buffer + used, data, i);
        transform(buffer);
        for (; i + 63 < length; i += 64)
            transform(data + i);
        used = 0;
    }
    std::memcpy(buffer + used, data + i, length - i);
}
