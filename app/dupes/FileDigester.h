// MD5 digests (RFC 1321) of whole files, read in 1 MiB blocks. A file can also be digested in two
// steps while it stays held, so that a comparison reads past its first bytes only where they do
// not tell it from the files it is compared with.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include <FileIdentity.h>
#include <HeldItem.h>
#include <MD5Checksum.h>

#include <atomic>
#include <vector>

// One file held (others may only read it) while its digest is taken: Begin opens it and digests
// its first bytes; Finish digests the rest and lets it go. The digest is of the bytes the file
// held when it was opened.
class CSteppedDigest {
public:
    // Opens the file at `path` (taken literally), checked against `recorded` when given, and
    // digests its first `firstBytes` (all of a shorter file) through `block`. False, and nothing
    // held, when it cannot be opened or read, no longer matches `recorded`, is a folder, or is
    // larger than `sizeLimit` (when not 0).
    [[nodiscard]] bool Begin(const CString& path, const FileIdentity* recorded, ULONGLONG sizeLimit,
                             DWORD firstBytes, std::vector<BYTE>& block);
    // What tells the file from others after Begin: its size and the digest of its first bytes.
    ULONGLONG Size() const { return size_; }
    const BYTE (&FirstDigest() const)[16] { return first_; }
    bool IsHeld() const { return file_.IsHeld(); }
    // Reads the rest and gives the whole file's digest. False (and a zero digest) when a read
    // fails or `keepRunning` turns off between blocks. The file is let go either way.
    [[nodiscard]] bool Finish(std::vector<BYTE>& block, const std::atomic<bool>& keepRunning,
                              BYTE (&digest)[16]);
    void Release() { file_.Release(); }

private:
    [[nodiscard]] bool ReadOn(ULONGLONG bytes, std::vector<BYTE>& block,
                              const std::atomic<bool>* keepRunning);

    CHeldItem file_;
    CMD5Checksum whole_;
    BYTE first_[16] = {};
    ULONGLONG size_ = 0;
    ULONGLONG done_ = 0;
};

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
    // The block a caller's stepped digests read through.
    std::vector<BYTE>& Block() { return block_; }

private:
    std::vector<BYTE> block_;
};
