// MD5 digests (RFC 1321) of whole files, read in 1 MiB blocks.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include <FileIdentity.h>

#include <atomic>
#include <vector>

class CFileDigester {
public:
    static constexpr DWORD kBlockBytes = 1048576;

    CFileDigester() : block_(kBlockBytes) {}

    // The digest of the file at `path` (taken literally), held while it is read so that others
    // may only read it. False (and a zero digest) when it cannot be opened or read, when it no
    // longer matches `recorded` (when given), when `sizeLimit` is given and the file is larger,
    // or when `keepRunning` turns off between blocks.
    [[nodiscard]] bool Digest(const CString& path, const FileIdentity* recorded,
                              ULONGLONG sizeLimit, const std::atomic<bool>& keepRunning,
                              BYTE (&digest)[16]);

private:
    std::vector<BYTE> block_;
};
