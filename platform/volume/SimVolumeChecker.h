// Verifies a simulated volume after a run: every layout well formed, no cluster owned twice,
// the bitmap exactly the union of all extents (file system files included), the directory
// tree's links consistent, and every stream's data unchanged against digests taken before.
#pragma once

#include "SimVolume.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Digest of every stream's data, by the record's path and the stream key ("\a\b::$BITMAP").
using SimDigests = std::map<std::wstring, uint64_t>;

SimDigests DigestSimVolume(const CSimVolume& volume);

// One line per problem found; empty when the volume is sound. With expected digests, a stream
// whose data differs, or that is missing, is a problem too.
std::vector<std::wstring> CheckSimVolume(const CSimVolume& volume,
                                         const SimDigests* expected = nullptr);
