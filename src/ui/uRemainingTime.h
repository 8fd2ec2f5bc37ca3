// The remaining time of an update, estimated from the progress made since the
// first progress notification, for the progress bar's text.
#pragma once

#include <QString>

// Milliseconds left when elapsedMs passed while the progress went from
// fromPercent to percent; -1 when there is nothing to estimate from yet.
qint64 remainingMs(qint64 elapsedMs, int fromPercent, int percent);

// The progress bar's format: "%p%", with " - m:ss left" when known.
QString progressFormat(qint64 remaining);
