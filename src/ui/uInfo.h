// The firmware overview: the images the program can offer, one row each, the
// chosen image file's header first.  It only reads the catalog.
#pragma once

#include <QDialog>

class QTreeWidget;
class QPushButton;
class TFWCatalog;

class TfrmInfo final : public QDialog {
    Q_OBJECT
  public:
    TfrmInfo(QWidget* mainWindow, const TFWCatalog& catalog);

    // Fills the list from the catalog, places the window at ALeft, ATop with
    // the outer height AHeight and a width that fits the columns, and shows
    // it modally.  AWidth does not matter: the columns decide the width.
    int Execute(int ALeft, int ATop, int AWidth, int AHeight);

    // The parts of Execute before the modal run.
    void fillRows();
    void place(int ALeft, int ATop, int AHeight);
    // Fits every column to the wider of its header and its cells, plus 5;
    // returns the client width, the sum of the widths plus 30.
    int autoSizeColumns();

    QTreeWidget* list() const { return ListView1; }

  protected:
    void resizeEvent(QResizeEvent* e) override;

  private:
    void layOut(int clientWidth, int clientHeight);
    int cellsWidth(int column) const;
    const TFWCatalog& FCatalog;
    QTreeWidget* ListView1;
    QPushButton* Button1;
};
