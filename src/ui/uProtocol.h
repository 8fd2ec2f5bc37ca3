// The report window: the session log, one time-stamped line per step, docked
// under the main window.  The operator cannot close it; it is shown only in
// internal mode, but its lines are collected all the same.
#pragma once

#include <QWidget>

#include <ctime>

class QPlainTextEdit;

class TfrmProtocol final : public QWidget {
    Q_OBJECT
  public:
    // parent: the main window, under which the report is placed.
    explicit TfrmProtocol(QWidget* mainWindow);

    // Appends "hh-nn-ss -> sLine" with the local time the line was added at
    // (the controller's clock) and keeps the newest line in view.
    void Add(const QString& sLine, const std::tm& time);
    void Clear();

    QString text() const;
    QStringList lines() const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QPlainTextEdit* Memo1;
};
