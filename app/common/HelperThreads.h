// Work shared out between the calling thread and a few helper threads for one call.
#pragma once

#include <cstddef>
#include <functional>

// Runs `ownWork` on the calling thread while up to `helpers` more threads run `helperWork`, and
// returns once all have returned. A helper that cannot be started leaves its share to the
// others, so the work takes its items from a shared counter, never from a fixed share.
void RunWithHelpers(unsigned helpers, const std::function<void()>& helperWork,
                    const std::function<void()>& ownWork);

// Helpers beside a thread for `items` that each wait on one file-system step (an open, a check,
// a removal), so that the steps overlap where the file system serves several at once; one item
// gets none. (Under Wine, whose server answers one call at a time, 0 to 4 helpers measured
// alike.)
constexpr unsigned FileStepHelpersFor(size_t items) {
    return items > 1 ? 2 : 0;
}
