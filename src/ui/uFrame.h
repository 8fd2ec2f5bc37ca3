// The frame that the window manager puts around a top-level window.
#pragma once

#include <QSize>
#include <QWidget>

// Outer size minus client size.  A window that was never shown knows no frame
// yet; the frame of its parent window is what it will get.
inline QSize frameExtraOf(const QWidget& w) {
    QSize extra = w.frameGeometry().size() - w.geometry().size();
    if (extra.isNull() && w.parentWidget()) {
        const QWidget& p = *w.parentWidget()->window();
        extra = p.frameGeometry().size() - p.geometry().size();
    }
    return extra;
}
