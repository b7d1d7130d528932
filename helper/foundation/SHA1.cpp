#include "SHA1.h"

#include "BlockBuffer.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <utility>

namespace {

constexpr UINT32 Rotate(UINT32 value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

// One of the 80 steps. The five state words stay in place and the roles rotate instead, and the
// schedule lives in a ring of 16 words; with i known at compile time every step is a handful of
// register operations.
template <int i> [[gnu::always_inline]] inline void Step(UINT32 (&v)[5], UINT32 (&w)[16]) {
    const UINT32 a = v[(80 - i) % 5];
    UINT32& b = v[(81 - i) % 5];
    const UINT32 c = v[(82 - i) % 5];
    const UINT32 d = v[(83 - i) % 5];
    UINT32& e = v[(84 - i) % 5];
    if constexpr (i >= 16)
        w[i % 16] = Rotate(w[(i - 3) % 16] ^ w[(i - 8) % 16] ^ w[(i - 14) % 16] ^ w[i % 16], 1);
    UINT32 f, k;
    if constexpr (i < 20) {
        f = ((c ^ d) & b) ^ d; // (b & c) | (~b & d)
        k = 0x5A827999;
    } else if constexpr (i < 40) {
        f = b ^ c ^ d;
        k = 0x6ED9EBA1;
    } else if constexpr (i < 60) {
        f = (b & c) | ((b | c) & d); // (b & c) | (b & d) | (c & d)
        k = 0x8F1BBCDC;
    } else {
        f = b ^ c ^ d;
        k = 0xCA62C1D6;
    }
    e += Rotate(a, 5) + f + k + w[i % 16];
    b = Rotate(b, 30);
}

template <int... i>
[[gnu::always_inline]] inline void Steps(UINT32 (&v)[5], UINT32 (&w)[16],
                                         std::integer_sequence<int, i...>) {
    (Step<i>(v, w), ...);
}

} // namespace

CSHA1::CSHA1() {
    std::memset(digest_, 0, sizeof digest_);
    Reset();
}

void CSHA1::Reset() {
    state_[0] = 0x67452301;
    state_[1] = 0xEFCDAB89;
    state_[2] = 0x98BADCFE;
    state_[3] = 0x10325476;
    state_[4] = 0xC3D2E1F0;
    count_[0] = count_[1] = 0;
    std::memset(buffer_, 0, sizeof buffer_);
}

void CSHA1::Transform(const BYTE block[64]) {
    UINT32 w[16];
    std::memcpy(w, block, sizeof w);
    for (UINT32& word : w)
        word = __builtin_bswap32(word); // the message words are big-endian
    UINT32 v[5] = {state_[0], state_[1], state_[2], state_[3], state_[4]};
    Steps(v, w, std::make_integer_sequence<int, 80>{});
    state_[0] += v[0];
    state_[1] += v[1];
    state_[2] += v[2];
    state_[3] += v[3];
    state_[4] += v[4];
    // The schedule is wiped as the digest's other temporaries are; the barrier keeps the
    // compiler from dropping the stores to a buffer that is about to die.
    std::memset(w, 0, sizeof w);
    asm volatile("" : : "r"(w) : "memory");
}

void CSHA1::Update(const BYTE* data, UINT32 length) {
    UpdateBlockBuffer(buffer_, count_, data, length,
                      [this](const BYTE* block) { Transform(block); });
}

bool CSHA1::HashFile(const wchar_t* path) {
    if (!path)
        return false;
    const std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path, L"rb"), &std::fclose);
    if (!file)
        return false;
    if (_fseeki64(file.get(), 0, SEEK_END) != 0)
        return false;
    const __int64 size = _ftelli64(file.get());
    // The size is taken as a signed 32-bit offset: larger files are refused unread.
    if (size < 0 || size > 0x7FFFFFFF || _fseeki64(file.get(), 0, SEEK_SET) != 0)
        return false;

    constexpr UINT32 kBlock = 8000;
    BYTE block[kBlock];
    for (UINT32 left = static_cast<UINT32>(size); left > 0;) {
        const UINT32 want = left < kBlock ? left : kBlock;
        const size_t read = std::fread(block, 1, want, file.get());
        if (read == 0)
            return false;
        Update(block, static_cast<UINT32>(read));
        left -= static_cast<UINT32>(read);
    }
    return true;
}

void CSHA1::Final() {
    BYTE length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<BYTE>(count_[i < 4 ? 1 : 0] >> ((3 - (i & 3)) * 8));
    const BYTE pad_start = 0x80;
    const BYTE zero = 0;
    Update(&pad_start, 1);
    while ((count_[0] & 504) != 448)
        Update(&zero, 1);
    Update(length, 8);
    for (int i = 0; i < 20; ++i)
        digest_[i] = static_cast<BYTE>(state_[i >> 2] >> ((3 - (i & 3)) * 8));

    SecureZeroMemory(buffer_, sizeof buffer_);
    SecureZeroMemory(state_, sizeof state_);
    SecureZeroMemory(count_, sizeof count_);
    SecureZeroMemory(length, sizeof length);
}

bool CSHA1::ReportHash(wchar_t* text, int form) const {
    if (!text)
        return false;
    const wchar_t* first;
    const wchar_t* next;
    switch (form) {
    case kHexWithSpaces:
        first = L"%02X";
        next = L" %02X";
        break;
    case kDecimalWithSpaces:
        first = L"%u";
        next = L" %u";
        break;
    case kHexPlain:
        first = next = L"%02X";
        break;
    default:
        return false;
    }
    constexpr size_t kRoom = 80;
    size_t used = 0;
    text[0] = L'\0';
    for (int i = 0; i < 20; ++i) {
        const int written = _snwprintf(text + used, kRoom - used, i == 0 ? first : next,
                                       static_cast<unsigned>(digest_[i]));
        if (written < 0)
            return false;
        used += static_cast<size_t>(written);
    }
    return true;
}
