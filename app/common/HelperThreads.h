// Work shared out between the calling thread and a few helper threads for one call.
#pragma once

#include <functional>

// Runs `ownWork` on the calling thread while up to `helpers` more threads run `helperWork`, and
// returns once all have returned. A helper that cannot be started leaves its share to the
// others, so the work takes its items from a shared counter, never from a fixed share.
void RunWithHelpers(unsigned helpers, const std::function<void()>& helperWork,
                    const std::function<void()>& ownWork);

// Helpers beside a thread whose items each wait on one file-system step (an open, a check, a
// removal): three threads at once overlap such steps best under Wine.
constexpr unsigned kFileStepHelperThreads = 2;
