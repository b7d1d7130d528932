// What a step of an engine run came to. An abort is an outcome of its own, never a kind of
// success, so no caller has to read the aborted flag to know whether a step did its work. Every
// step that answers one is [[nodiscard]].
#pragma once

enum class RunOutcome {
    Done,    // the step did its work (or found nothing to do)
    Failed,  // the step could not do its work; what it did is accounted
    Aborted, // an abort ended the step; the aborted flag is set and what it did is accounted
};
