#include "SimWriter.h"

void CSimWriter::Raw(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
}

void CSimWriter::Text(const std::wstring& text) {
    U32(static_cast<uint32_t>(text.size()));
    Raw(text.data(), text.size() * sizeof(wchar_t));
}

void CSimWriter::Bytes(const std::vector<uint8_t>& bytes) {
    U32(static_cast<uint32_t>(bytes.size()));
    Raw(bytes.data(), bytes.size());
}
