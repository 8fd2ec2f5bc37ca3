#include "ui/uPortBox.h"

#include "desktop/uPortBoxRule.h"

#include <QAbstractItemView>
#include <QSignalBlocker>

TPortComboBox::TPortComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // Enter in the box starts an update; it must not add the text as an item.
    setInsertPolicy(QComboBox::NoInsert);
}

void TPortComboBox::showPopup() {
    if (beforePopup) beforePopup();
    QComboBox::showPopup();
}

TPortBoxRefresher::TPortBoxRefresher(QComboBox& box, TPortListSource source,
                                     std::function<bool()> appActive)
    : FBox(box), FSource(std::move(source)), FAppActive(std::move(appActive)) {}

std::vector<std::string> TPortBoxRefresher::ports() const {
    std::vector<std::string> names;
    if (FSource) FSource(names);
    return names;
}

void TPortBoxRefresher::apply(const TPortBoxFill& fill) {
    {
        const QSignalBlocker block(FBox);
        FBox.clear();
        for (const std::string& p : fill.items)
            FBox.addItem(QString::fromLocal8Bit(p.c_str()));
        if (fill.selectFirst) FBox.setCurrentIndex(0);
        FBox.setEditText(QString::fromLocal8Bit(fill.text.c_str()));
    }
    if (fill.closeDropDown) FBox.hidePopup();
    if (fill.openDropDown) {
        FBox.update();
        // The box's own showPopup, not a refreshing one: the list is fresh.
        FBox.QComboBox::showPopup();
    }
}

void TPortBoxRefresher::fillAtStart(const std::string& optionPort) {
    apply(portBoxAtStart(ports(), optionPort));
}

void TPortBoxRefresher::refill() {
    apply(portBoxOnOpen(ports(), FBox.currentText().toLocal8Bit().toStdString()));
}

void TPortBoxRefresher::portChanged() {
    const bool dropped = FBox.view() && FBox.view()->isVisible();
    apply(portBoxRefill(ports(), FBox.currentText().toLocal8Bit().toStdString(),
                        FAppActive && FAppActive(), FBox.isEnabled(), dropped));
}
