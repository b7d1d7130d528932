#include "MD5Checksum.h"

#include "BlockBuffer.h"

#include <cstring>
#include <utility>

namespace {

constexpr ULONG Rotate(ULONG value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

// Per-round shift amounts and the sine-derived constants of RFC 1321.
constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};
constexpr ULONG kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

// The message word step i reads.
constexpr int WordIndex(int i) {
    switch (i / 16) {
    case 0:
        return i;
    case 1:
        return (5 * i + 1) % 16;
    case 2:
        return (3 * i + 5) % 16;
    default:
        return (7 * i) % 16;
    }
}

// One of the 64 steps. The four state words stay in place and the roles rotate instead, so with
// i known at compile time every step is a handful of register operations.
template <int i> [[gnu::always_inline]] inline void Step(ULONG (&v)[4], const ULONG (&x)[16]) {
    ULONG& a = v[(64 - i) % 4];
    const ULONG b = v[(65 - i) % 4];
    const ULONG c = v[(66 - i) % 4];
    const ULONG d = v[(67 - i) % 4];
    // What does not wait for b is added first, so less of each step waits for the one before.
    ULONG sum = a + kSine[i] + x[WordIndex(i)];
    if constexpr (i < 16) {
        sum += ((c ^ d) & b) ^ d; // (b & c) | (~b & d)
    } else if constexpr (i < 32) {
        sum += ~d & c; // (d & b) | (~d & c): the two parts share no bit, so they add
        sum += d & b;
    } else if constexpr (i < 48) {
        sum += (c ^ d) ^ b;
    } else {
        sum += c ^ (b | ~d);
    }
    a = b + Rotate(sum, kShift[i / 16][i % 4]);
}

template <int... i>
[[gnu::always_inline]] inline void Steps(ULONG (&v)[4], const ULONG (&x)[16],
                                         std::integer_sequence<int, i...>) {
    (Step<i>(v, x), ...);
}

} // namespace

CMD5Checksum::CMD5Checksum() {
    std::memset(buffer_, 0, sizeof buffer_);
    count_[0] = count_[1] = 0;
    state_[0] = 0x67452301;
    state_[1] = 0xefcdab89;
    state_[2] = 0x98badcfe;
    state_[3] = 0x10325476;
}

void CMD5Checksum::Transform(const BYTE block[64]) {
    ULONG x[16];
    std::memcpy(x, block, sizeof x); // the words are little-endian, as on every Windows target
    ULONG v[4] = {state_[0], state_[1], state_[2], state_[3]};
    Steps(v, x, std::make_integer_sequence<int, 64>{});
    state_[0] += v[0];
    state_[1] += v[1];
    state_[2] += v[2];
    state_[3] += v[3];
}

void CMD5Checksum::Update(const BYTE* data, ULONG length) {
    UpdateBlockBuffer(buffer_, count_, data, length,
                      [this](const BYTE* block) { Transform(block); });
}

CString CMD5Checksum::Final() {
    BYTE length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<BYTE>(count_[i / 4] >> ((i % 4) * 8));
    const ULONG used = (count_[0] >> 3) & 63;
    BYTE padding[64] = {0x80};
    Update(padding, used < 56 ? 56 - used : 120 - used);
    Update(length, 8);

    static constexpr wchar_t kHex[] = L"0123456789abcdef";
    wchar_t text[33];
    for (int i = 0; i < 16; ++i) {
        const BYTE byte = static_cast<BYTE>(state_[i / 4] >> ((i % 4) * 8));
        text[2 * i] = kHex[byte >> 4];
        text[2 * i + 1] = kHex[byte & 15];
    }
    text[32] = L'\0';
    return CString(text);
}

CString CMD5Checksum::GetMD5OfBuffer(const BYTE* data, ULONG length) {
    CMD5Checksum checksum;
    checksum.Update(data, length);
    return checksum.Final();
}
