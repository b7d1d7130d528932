// The scan's probes of its matched files (see ProbeCandidate), on threads of their own, so that
// the walk goes on listing folders while the files it matched are opened: under Wine a listing
// is mostly the program's own work and an open mostly the server's, so the two overlap.
#pragma once

#include "JunkCandidate.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class CCandidateProber {
public:
    // Sets each candidate's verdict (`passed`); called on the prober's threads, never for two
    // candidates of one round at once.
    using Probe = std::function<bool(JunkCandidate& candidate)>;

    // Starts up to `threads` threads; with none started, each round is probed as it is queued.
    CCandidateProber(unsigned threads, Probe probe);
    // Ends the threads once their rounds are probed; rounds not taken are dropped.
    ~CCandidateProber();
    CCandidateProber(const CCandidateProber&) = delete;
    CCandidateProber& operator=(const CCandidateProber&) = delete;

    // Queues a round for its probes and returns at once.
    void Queue(std::vector<JunkCandidate>&& round);
    // Appends to `probed` the candidates of the rounds probed so far, in the order the rounds
    // were queued (a round waits for the ones before it), having first waited until no more
    // than `mostLeftQueued` rounds remain queued (0: waits for all of them).
    void TakeProbed(size_t mostLeftQueued, std::vector<JunkCandidate>& probed);

private:
    struct Round {
        std::vector<JunkCandidate> candidates;
        bool probed = false;
    };

    void ProbeRound(Round& round) const;
    void Work();

    const Probe probe_;
    std::mutex lock_;
    std::condition_variable roundQueued_;
    std::condition_variable roundProbed_;
    // Queued rounds not yet taken, in order; the first `claimed_` have been handed to a thread.
    // (A deque keeps a claimed round in place while rounds join or leave at its ends.)
    std::deque<Round> rounds_;
    size_t claimed_ = 0;
    bool ending_ = false;
    std::vector<std::thread> threads_;
};
