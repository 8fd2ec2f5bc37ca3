// The time an update has left, for the progress bar of every front end.
// The records go out at a steady pace, so the time spent writing so far,
// scaled by the part still to write, estimates the rest of the writing; the
// session's fixed waits after the last record follow on top.
#pragma once

#include "session/uTarvekCommThread.h"

#include <cstdint>
#include <string>

// The waits after the last record: the pause before the finish record and
// the logger's restart before it is identified again.
inline constexpr std::int64_t cWaitsAfterLastRecordMs = cFinishPauseMs + cRestartPauseMs;

// Milliseconds left when writingMs passed since the writing began (the image
// was announced) and the progress stands at percent; -1 when there is
// nothing to estimate from yet (no progress), 0 at 100.  The last record
// brings the progress to 99.
std::int64_t estimateRemainingMs(std::int64_t writingMs, int percent);

// An estimate of remainingMs made at estimatedAtMs, counted down to nowMs
// (never below 0); -1 when there is none.
std::int64_t remainingMsAt(std::int64_t remainingMs, std::int64_t estimatedAtMs,
                           std::int64_t nowMs);

// The time left as every program shows it: "m:ss", or "h:mm:ss" from one
// hour on, the seconds rounded up (a part of a second left shows as one, so
// "0:00" only once nothing is left).
std::string timeLeftText(std::int64_t remainingMs);

// A time passed, as "m:ss" or "h:mm:ss", in whole seconds passed.
std::string elapsedText(std::int64_t elapsedMs);

// The progress bar's caption: "37%", or "37% - 1:05 left" when the time left
// is known (remainingMs >= 0).
std::string progressCaption(int percent, std::int64_t remainingMs);
