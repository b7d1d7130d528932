#include "HelperThreads.h"

#include <system_error>
#include <thread>
#include <vector>

void RunWithHelpers(unsigned helpers, const std::function<void()>& helperWork,
                    const std::function<void()>& ownWork) {
    std::vector<std::thread> threads;
    try {
        for (unsigned i = 0; i < helpers; ++i)
            threads.emplace_back(helperWork);
    } catch (const std::system_error&) {
        // Without more threads the ones started do the rest.
    }
    ownWork();
    for (std::thread& thread : threads)
        thread.join();
}
