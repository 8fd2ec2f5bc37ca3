#include "ui/uInfo.h"

#include "desktop/uDesktopTexts.h"
#include "desktop/uOverviewDesign.h"
#include "images/uOverview.h"
#include "ui/uDesign.h"
#include "ui/uFrame.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

#include <vector>

TfrmInfo::TfrmInfo(QWidget* mainWindow, const TFWCatalog& catalog)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      FCatalog(catalog) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(qText(cTextOverviewCaption));
    setModal(true);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(qText(cTextOverviewCaption));
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setSectionsClickable(false);
    ListView1->header()->setSectionsMovable(false);
    ListView1->header()->setStretchLastSection(false);
    QStringList headers;
    for (const char* c : cOverviewColumns)
        headers << QString::fromLatin1(c);
    ListView1->setHeaderLabels(headers);

    Button1 = new QPushButton(qText(cTextOk), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    const TOverviewDesign& d = cOverviewDesign;
    resize(d.client.width, d.client.height);
    layOut(d.client.width, d.client.height);
}

void TfrmInfo::layOut(int clientWidth, int clientHeight) {
    const TOverviewLayout l = overviewLayout({0, 0, 0, clientHeight}, clientWidth, {}, cQtScale);
    ListView1->setGeometry(qRect(l.list));
    Button1->setGeometry(qRect(l.button));
}

void TfrmInfo::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    layOut(width(), height());
}

void TfrmInfo::fillRows() {
    ListView1->clear();
    for (const TOverviewRow& r : overviewRows(FCatalog)) {
        auto* item = new QTreeWidgetItem(ListView1);
        item->setText(0, QString::fromStdString(r.firmware));
        item->setText(1, QString::fromStdString(r.version));
        item->setText(2, QString::fromStdString(r.platform));
        item->setText(3, QString::fromStdString(r.print));
        item->setText(4, QString::fromStdString(r.date));
        item->setText(5, QString::fromStdString(r.bl));
    }
}

int TfrmInfo::cellsWidth(int column) const {
    // The tree view's width for the column's cells (public in its base).
    return static_cast<const QAbstractItemView*>(ListView1)->sizeHintForColumn(column);
}

int TfrmInfo::autoSizeColumns() {
    std::vector<int> widths;
    for (int c = 0; c < ListView1->columnCount(); ++c) {
        const int width =
            overviewColumnWidth(ListView1->header()->sectionSizeHint(c), cellsWidth(c));
        ListView1->setColumnWidth(c, width);
        widths.push_back(width);
    }
    return overviewClientWidth(widths);
}

void TfrmInfo::place(int ALeft, int ATop, int AHeight) {
    const TSize frame = tSize(frameExtraOf(*this));
    const TOverviewLayout l =
        overviewLayout({ALeft, ATop, 0, AHeight}, autoSizeColumns(), frame, cQtScale);
    move(l.outer.left, l.outer.top);
    resize(l.outer.width - frame.width, l.outer.height - frame.height);
    ListView1->setGeometry(qRect(l.list));
    Button1->setGeometry(qRect(l.button));
}

int TfrmInfo::Execute(int ALeft, int ATop, int AWidth, int AHeight) {
    (void)AWidth; // the columns decide the width
    fillRows();
    place(ALeft, ATop, AHeight);
    Button1->setFocus();
    return exec();
}
