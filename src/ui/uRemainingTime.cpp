#include "ui/uRemainingTime.h"

qint64 remainingMs(qint64 elapsedMs, int fromPercent, int percent) {
    if (fromPercent < 0 || percent <= fromPercent || percent >= 100 || elapsedMs <= 0) return -1;
    return elapsedMs * (100 - percent) / (percent - fromPercent);
}

QString progressFormat(qint64 remaining) {
    if (remaining < 0) return QStringLiteral("%p%");
    const qint64 seconds = (remaining + 999) / 1000;
    return QStringLiteral("%p% - %1:%2 left")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
