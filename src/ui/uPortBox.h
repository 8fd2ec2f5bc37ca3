// The port box: an editable drop-down list of the present serial ports.  The
// list is rebuilt whenever a port arrives or goes; the port the operator chose
// or typed stays in the box even when it has gone.
#pragma once

#include "desktop/uPortBoxRule.h"
#include "serial/uPortList.h"

#include <QComboBox>

#include <functional>
#include <string>
#include <vector>

// An editable combo box that can tell when its drop-down list is about to
// open, so that a system without hot-plug events refreshes the list then.
class TPortComboBox final : public QComboBox {
    Q_OBJECT
  public:
    explicit TPortComboBox(QWidget* parent = nullptr);
    std::function<void()> beforePopup;
    void showPopup() override;
};

// The port box's rules (desktop/uPortBoxRule.h) applied to a combo box.
class TPortBoxRefresher {
  public:
    TPortBoxRefresher(QComboBox& box, TPortListSource source, std::function<bool()> appActive);

    // At start: fill the box and select its first entry (an empty list leaves
    // the box empty); a port given as an option takes the box's text.
    void fillAtStart(const std::string& optionPort = {});
    // A port arrived or went: refill always; then, only when the application
    // is the active one and the box is enabled (no session runs), close and
    // reopen the drop-down list so that the operator sees the new list.
    void portChanged();
    // Refill the items, keeping the box's current text.
    void refill();

  private:
    void apply(const TPortBoxFill& fill);
    std::vector<std::string> ports() const;
    QComboBox& FBox;
    TPortListSource FSource;
    std::function<bool()> FAppActive;
};
