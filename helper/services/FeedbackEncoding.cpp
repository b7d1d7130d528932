#include "FeedbackEncoding.h"

#include <cstring>
#include <utility>
#include <vector>

#include <classlib/Exceptions.h>

#include "MD5Checksum.h"
#include "TextConversion.h"

namespace {

constexpr char kFeedbackKey[] = "~quillmarrowfenbeck^tor_ig::u:plinthwardsomelvex~";
constexpr int kSystemAnsiCodePage = -1;

// MD5 of the text in the ANSI code page, over as many bytes as the text has characters.
CString CheckValue(const CString& text) {
    if (text.IsEmpty())
        return CString();
    const int bytes = WideToMultiByteSize(text, kSystemAnsiCodePage);
    std::vector<char> ansi(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    const int written =
        WideToMultiByte(text, ansi.data(), static_cast<int>(ansi.size()), kSystemAnsiCodePage);
    const int hashed = text.GetLength() < written ? text.GetLength() : written;
    CString digest =
        CMD5Checksum::GetMD5OfBuffer(reinterpret_cast<const BYTE*>(ansi.data()), hashed);
    return digest.MakeUpper();
}

} // namespace

void Rc4Transform(const BYTE* key, size_t keyLength, BYTE* data, size_t length) {
    BYTE state[256];
    for (int at = 0; at < 256; ++at)
        state[at] = static_cast<BYTE>(at);
    for (int at = 0, mixed = 0; at < 256; ++at) {
        mixed = (mixed + state[at] + key[static_cast<size_t>(at) % keyLength]) & 0xFF;
        std::swap(state[at], state[mixed]);
    }
    for (size_t at = 0, i = 0, j = 0; at < length; ++at) {
        i = (i + 1) & 0xFF;
        j = (j + state[i]) & 0xFF;
        std::swap(state[i], state[j]);
        data[at] ^= state[(state[i] + state[j]) & 0xFF];
    }
}

const char* FeedbackKey() {
    return kFeedbackKey;
}

int EncodeFeedback(const CString& xml, CString& payload) {
    try {
        CString text = xml;
        text.Trim();
        std::vector<BYTE> bytes(static_cast<size_t>(text.GetLength()) * 2);
        for (int at = 0; at < text.GetLength(); ++at) {
            const wchar_t unit = text[at];
            bytes[static_cast<size_t>(at) * 2] = static_cast<BYTE>(unit & 0xFF);
            bytes[static_cast<size_t>(at) * 2 + 1] = static_cast<BYTE>(unit >> 8);
        }
        Rc4Transform(reinterpret_cast<const BYTE*>(kFeedbackKey), std::strlen(kFeedbackKey),
                     bytes.data(), bytes.size());
        static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
        CString cipherText;
        cipherText.Preallocate(static_cast<int>(bytes.size()) * 2);
        for (BYTE value : bytes) {
            cipherText += kDigits[value >> 4];
            cipherText += kDigits[value & 0x0F];
        }
        payload = CheckValue(text) + cipherText;
        return 1;
    } catch (CException* error) {
        error->Delete();
        payload.Empty();
        return 0;
    }
}
