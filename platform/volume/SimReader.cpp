#include "SimReader.h"

#include <cstring>

bool CSimReader::Take(void* out, size_t size) {
    if (failed_ || size > size_ - offset_) {
        failed_ = true;
        std::memset(out, 0, size);
        return false;
    }
    std::memcpy(out, data_ + offset_, size);
    offset_ += size;
    return true;
}

uint32_t CSimReader::U32() {
    uint32_t value = 0;
    Take(&value, sizeof value);
    return value;
}

uint64_t CSimReader::U64() {
    uint64_t value = 0;
    Take(&value, sizeof value);
    return value;
}

std::wstring CSimReader::Text() {
    const uint32_t length = U32();
    if (failed_ || length > (size_ - offset_) / sizeof(wchar_t)) {
        failed_ = true;
        return {};
    }
    std::wstring text(length, L'\0');
    Take(text.data(), length * sizeof(wchar_t));
    return text;
}

std::vector<uint8_t> CSimReader::Bytes() {
    const uint32_t length = U32();
    if (failed_ || length > size_ - offset_) {
        failed_ = true;
        return {};
    }
    std::vector<uint8_t> bytes(length);
    Take(bytes.data(), length);
    return bytes;
}
