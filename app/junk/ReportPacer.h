// CReportPacer: lets a progress report of one kind go out at most once per interval. A message
// sent from a worker to the page costs the worker a wait for the page's thread (most of a
// millisecond under Wine), so a scan or clean that reported every folder and every item would
// spend more time waiting than working; the page cannot show more than a few reports a second.
#pragma once

#include <windows.h>

class CReportPacer {
public:
    static constexpr ULONGLONG kIntervalMs = 40;

    // True for the first report and whenever the last report that went out is at least the
    // interval old; the caller then sends it, and the interval starts again.
    [[nodiscard]] bool Due() {
        const ULONGLONG now = GetTickCount64();
        if (sent_ && now - last_ < kIntervalMs)
            return false;
        Note(now);
        return true;
    }
    // A report of this kind went out regardless of the pace.
    void Note() { Note(GetTickCount64()); }
    // The next report goes out at once.
    void Reset() { sent_ = false; }

private:
    void Note(ULONGLONG now) {
        last_ = now;
        sent_ = true;
    }

    ULONGLONG last_ = 0;
    bool sent_ = false;
};
