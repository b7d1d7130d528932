// The reflected CRC-32 tables of IEEE 802.3 (polynomial 0xEDB88320), built at compile time, and
// the running CRC over a buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace xarn {

constexpr std::array<std::uint32_t, 256> MakeCrc32Table() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        table[i] = value;
    }
    return table;
}

inline constexpr std::array<std::uint32_t, 256> kCrc32Table = MakeCrc32Table();

// One table step: the state takes in the low byte of `value`.
constexpr std::uint32_t Crc32Step(std::uint32_t state, std::uint32_t value) {
    return (state >> 8) ^ kCrc32Table[(state ^ value) & 0xFF];
}

static_assert(kCrc32Table[1] == 0x77073096u && kCrc32Table[255] == 0x2D02EF8Du);

// Tables for sixteen bytes a step: slice k advances a byte's contribution past k more zero
// bytes, so the sixteen lookups of one step are independent of each other.
using Crc32Slices = std::array<std::array<std::uint32_t, 256>, 16>;

constexpr Crc32Slices MakeCrc32Slices() {
    Crc32Slices slices{};
    slices[0] = kCrc32Table;
    for (std::size_t k = 1; k < slices.size(); ++k)
        for (std::size_t n = 0; n < 256; ++n)
            slices[k][n] = Crc32Step(slices[k - 1][n], 0);
    return slices;
}

inline constexpr Crc32Slices kCrc32Slices = MakeCrc32Slices();

// The running (not yet inverted) CRC after `length` more bytes, the same as one Crc32Step per
// byte. The words are read little-endian, as on every Windows target.
inline std::uint32_t Crc32Update(std::uint32_t state, const void* data, std::size_t length) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const Crc32Slices& t = kCrc32Slices;
    for (; length >= 16; bytes += 16, length -= 16) {
        std::uint32_t w[4];
        std::memcpy(w, bytes, sizeof w);
        w[0] ^= state;
        state = t[15][w[0] & 0xFF] ^ t[14][(w[0] >> 8) & 0xFF] ^ t[13][(w[0] >> 16) & 0xFF] ^
                t[12][w[0] >> 24] ^ t[11][w[1] & 0xFF] ^ t[10][(w[1] >> 8) & 0xFF] ^
                t[9][(w[1] >> 16) & 0xFF] ^ t[8][w[1] >> 24] ^ t[7][w[2] & 0xFF] ^
                t[6][(w[2] >> 8) & 0xFF] ^ t[5][(w[2] >> 16) & 0xFF] ^ t[4][w[2] >> 24] ^
                t[3][w[3] & 0xFF] ^ t[2][(w[3] >> 8) & 0xFF] ^ t[1][(w[3] >> 16) & 0xFF] ^
                t[0][w[3] >> 24];
    }
    for (; length > 0; --length)
        state = Crc32Step(state, *bytes++);
    return state;
}

} // namespace xarn
