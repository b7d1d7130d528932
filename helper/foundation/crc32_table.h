// The reflected CRC-32 table of IEEE 802.3 (polynomial 0xEDB88320), built at compile time.
#pragma once

#include <array>
#include <cstdint>

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

} // namespace xarn
