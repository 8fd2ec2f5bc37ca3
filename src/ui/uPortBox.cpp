#include "ui/uPortBox.h"

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

void TPortBoxRefresher::fillAtStart() {
    refill();
    if (FBox.count() > 0) {
        FBox.setCurrentIndex(0);
        FBox.setEditText(FBox.itemText(0));
    } else {
        FBox.setEditText(QString());
    }
}

void TPortBoxRefresher::refill() {
    std::vector<std::string> ports;
    if (FSource) FSource(ports);
    const QString kept = FBox.currentText();
    const QSignalBlocker block(FBox);
    FBox.clear();
    for (const std::string& p : ports)
        FBox.addItem(QString::fromStdString(p));
    FBox.setEditText(kept);
}

void TPortBoxRefresher::portChanged() {
    refill();
    if (!(FAppActive && FAppActive()) || !FBox.isEnabled()) return;
    if (FBox.view() && FBox.view()->isVisible()) FBox.hidePopup();
    FBox.update();
    // The box's own showPopup, not a refreshing one: the list is fresh.
    FBox.QComboBox::showPopup();
}
