#include "CandidateProber.h"

#include <system_error>
#include <utility>

CCandidateProber::CCandidateProber(unsigned threads, Probe probe) : probe_(std::move(probe)) {
    try {
        for (unsigned i = 0; i < threads; ++i)
            threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // The threads started do all the rounds; with none, Queue probes them itself.
    }
}

CCandidateProber::~CCandidateProber() {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        ending_ = true;
    }
    roundQueued_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void CCandidateProber::ProbeRound(Round& round) const {
    for (JunkCandidate& candidate : round.candidates)
        candidate.passed = probe_(candidate);
}

void CCandidateProber::Queue(std::vector<JunkCandidate>&& round) {
    Round queued{std::move(round)};
    if (threads_.empty()) {
        ProbeRound(queued);
        queued.probed = true;
    }
    {
        const std::lock_guard<std::mutex> guard(lock_);
        rounds_.push_back(std::move(queued));
        // Without threads every round is probed as it comes, so every queued round is claimed.
        if (threads_.empty())
            ++claimed_;
    }
    roundQueued_.notify_one();
}

void CCandidateProber::Work() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        roundQueued_.wait(guard, [this] { return ending_ || claimed_ < rounds_.size(); });
        if (ending_)
            return;
        Round& round = rounds_[claimed_++];
        guard.unlock();
        ProbeRound(round);
        guard.lock();
        round.probed = true;
        roundProbed_.notify_all();
    }
}

void CCandidateProber::TakeProbed(size_t mostLeftQueued, std::vector<JunkCandidate>& probed) {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        while (!rounds_.empty() && rounds_.front().probed) {
            for (JunkCandidate& candidate : rounds_.front().candidates)
                probed.push_back(std::move(candidate));
            rounds_.pop_front();
            // Only a probed round leaves, and rounds are claimed in order: it was claimed.
            --claimed_;
        }
        if (rounds_.size() <= mostLeftQueued)
            return;
        roundProbed_.wait(guard);
    }
}
