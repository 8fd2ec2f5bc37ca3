#include "desktop/uMessageDesign.h"

#include <algorithm>

namespace {

int clientWidthOver(int coveredWidth, TSize frame, TScale s) {
    return coveredWidth - 2 * s.px(cMessageWindowDesign.inset) - frame.width;
}

} // namespace

int messageTextBoxWidth(int coveredWidth, TSize frame, TScale s) {
    return clientWidthOver(coveredWidth, frame, s) - 2 * s.du(cMessageWindowDesign.margin);
}

TMessageLayout messageLayout(const TRect& covered, TSize frame, int textBoxHeight, TScale s) {
    const TMessageWindowDesign& d = cMessageWindowDesign;
    const int margin = s.du(d.margin);
    const int strip = s.du(d.stripHeight);
    const int clientW = clientWidthOver(covered.width, frame, s);
    const int clientH = std::max(s.du(d.client.height), margin + textBoxHeight + strip);
    const int inset = s.px(d.inset);

    TMessageLayout l;
    l.outer.width = clientW + frame.width;
    l.outer.height = clientH + frame.height;
    l.outer.left = covered.left + inset;
    l.outer.top = covered.bottom() - inset - l.outer.height;
    l.textBox = {margin, margin, clientW - 2 * margin, clientH - strip - margin};
    l.button = {margin, clientH - strip + margin, s.du(d.buttonWidth), strip - 2 * margin};
    return l;
}
