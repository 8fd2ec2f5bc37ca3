#include "ui/uInternMode.h"

#include <QSettings>

bool isInternValue(const QVariant& value) {
    if (!value.isValid()) return false;
    bool ok = false;
    const qlonglong code = value.toString().trimmed().toLongLong(&ok);
    return ok && code == cInternModeCode;
}

bool readInternMode() {
    const QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Vorn"));
    return isInternValue(settings.value(QStringLiteral("intern")));
}
