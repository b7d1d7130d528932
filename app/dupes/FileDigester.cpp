#include "FileDigester.h"

#include <HeldItem.h>
#include <MD5Checksum.h>

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

bool CFileDigester::Digest(const CString& path, const FileIdentity* recorded, ULONGLONG sizeLimit,
                           const std::atomic<bool>& keepRunning, BYTE (&digest)[16]) {
    std::memset(digest, 0, sizeof digest);
    CHeldItem file;
    const ItemOutcome opened = recorded
                                   ? file.OpenAsRecorded(path, *recorded, CHeldItem::Purpose::kRead)
                                   : file.Open(path, CHeldItem::Purpose::kRead);
    if (opened != ItemOutcome::kDone || file.Identity().folder)
        return false;
    const ULONGLONG size = file.Identity().size;
    if (sizeLimit != 0 && size > sizeLimit)
        return false;
    CMD5Checksum md5;
    // The digest is of the bytes the file held when it was opened (nobody can write it while it
    // is held): reading stops there.
    ULONGLONG left = size;
    while (left != 0) {
        const DWORD wanted = left < kBlockBytes ? static_cast<DWORD>(left) : kBlockBytes;
        DWORD read = 0;
        if (!ReadFile(file.Handle(), block_.data(), wanted, &read, nullptr))
            return false;
        if (read == 0)
            return false;
        md5.Update(block_.data(), read);
        left -= read;
        if (!keepRunning)
            return false;
    }
    BYTE result[16];
    if (!ParseDigest(md5.Final(), result))
        return false;
    std::memcpy(digest, result, sizeof digest);
    return true;
}
