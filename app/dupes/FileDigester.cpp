#include "FileDigester.h"

#include <cstring>

namespace {

int HexDigitValue(wchar_t digit) {
    if (digit >= L'0' && digit <= L'9')
        return digit - L'0';
    if (digit >= L'a' && digit <= L'f')
        return digit - L'a' + 10;
    if (digit >= L'A' && digit <= L'F')
        return digit - L'A' + 10;
    return -1;
}

// The checksum class reports its digest as 32 hex digits.
bool ParseDigest(const CString& hex, BYTE (&digest)[16]) {
    if (hex.GetLength() != 32)
        return false;
    for (int i = 0; i < 16; ++i) {
        const int high = HexDigitValue(hex[2 * i]);
        const int low = HexDigitValue(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        digest[i] = static_cast<BYTE>(high * 16 + low);
    }
    return true;
}

} // namespace

bool CSteppedDigest::ReadOn(ULONGLONG bytes, std::vector<BYTE>& block,
                            const std::atomic<bool>* keepRunning) {
    while (bytes != 0) {
        const DWORD wanted =
            bytes < block.size() ? static_cast<DWORD>(bytes) : static_cast<DWORD>(block.size());
        DWORD read = 0;
        if (!ReadFile(file_.Handle(), block.data(), wanted, &read, nullptr) || read == 0)
            return false;
        whole_.Update(block.data(), read);
        done_ += read;
        bytes -= read;
        if (keepRunning && !*keepRunning)
            return false;
    }
    return true;
}

bool CSteppedDigest::Begin(const CString& path, const FileIdentity* recorded, ULONGLONG sizeLimit,
                           DWORD firstBytes, std::vector<BYTE>& block) {
    whole_ = CMD5Checksum();
    std::memset(first_, 0, sizeof first_);
    size_ = done_ = 0;
    const ItemOutcome opened =
        recorded ? file_.OpenAsRecorded(path, *recorded, CHeldItem::Purpose::kRead)
                 : file_.Open(path, CHeldItem::Purpose::kRead);
    if (opened != ItemOutcome::kDone || file_.Identity().folder ||
        (sizeLimit != 0 && file_.Identity().size > sizeLimit)) {
        file_.Release();
        return false;
    }
    // Nobody can write the file while it is held: reading stops at the size it had when opened.
    size_ = file_.Identity().size;
    if (!ReadOn(size_ < firstBytes ? size_ : firstBytes, block, nullptr)) {
        file_.Release();
        return false;
    }
    CMD5Checksum first = whole_;
    if (!ParseDigest(first.Final(), first_)) {
        file_.Release();
        return false;
    }
    return true;
}

bool CSteppedDigest::Finish(std::vector<BYTE>& block, const std::atomic<bool>& keepRunning,
                            BYTE (&digest)[16]) {
    std::memset(digest, 0, sizeof digest);
    const bool read = file_.IsHeld() && ReadOn(size_ - done_, block, &keepRunning) && keepRunning;
    file_.Release();
    BYTE result[16];
    if (!read || !ParseDigest(whole_.Final(), result))
        return false;
    std::memcpy(digest, result, sizeof digest);
    return true;
}

bool CFileDigester::Digest(const CString& path, const FileIdentity* recorded, ULONGLONG sizeLimit,
                           const std::atomic<bool>& keepRunning, BYTE (&digest)[16]) {
    std::memset(digest, 0, sizeof digest);
    CSteppedDigest file;
    return file.Begin(path, recorded, sizeLimit, kBlockBytes, block_) &&
           file.Finish(block_, keepRunning, digest);
}
