// The message window: the outcome of a session in a small modal window that
// lies over the lower part of the main window (desktop/uMessageDesign.h); its
// height fits the text.  One instance is reused for
// every message; its last text stays until the next one replaces it.
#pragma once

#include <QDialog>
#include <QRect>

#include <functional>

class QPlainTextEdit;
class QPushButton;

class TfrmMessage final : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmMessage(QWidget* mainWindow);

    // Shows sMsg modally over the window rectangle x, y, w, h (outer left,
    // top, width, height); returns when the operator closed it.
    void showMsg(const QString& sMsg, int x, int y, int w, int h);

    QString text() const;

    // Test seam: when set, showMsg places and fills the window and hands the
    // text here instead of running it modally.
    std::function<void(const QString&)> onShowMsg;

  private:
    // Places the window over the covered rectangle, high enough for text.
    void place(const QRect& covered, const QString& text = {});
    int textBoxHeightFor(const QString& text, int textBoxWidth) const;
    QPlainTextEdit* Memo1;
    QPushButton* Button1;
};
