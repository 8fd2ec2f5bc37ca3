#include "ui/uInfo.h"

#include "images/uOverview.h"
#include "ui/uFrame.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TfrmInfo::TfrmInfo(QWidget* mainWindow, const TFWCatalog& catalog)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      FCatalog(catalog) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Overview"));
    setModal(true);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("Overview"));
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

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button1->setFixedSize(98, 24);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto* panel = new QWidget(this);
    panel->setFixedHeight(37);
    Button1->setParent(panel);
    Button1->move(13, 7);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ListView1, 1);
    layout->addWidget(panel);
    resize(318, 209);
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

int TfrmInfo::autoSizeColumns() {
    int total = 0;
    for (int c = 0; c < ListView1->columnCount(); ++c) {
        // The tree view sizes a column to the wider of its header and cells.
        ListView1->resizeColumnToContents(c);
        const int width = ListView1->columnWidth(c) + 5;
        ListView1->setColumnWidth(c, width);
        total += width;
    }
    return total;
}

void TfrmInfo::place(int ALeft, int ATop, int AHeight) {
    const QSize frameExtra = frameExtraOf(*this);
    move(ALeft, ATop);
    resize(autoSizeColumns() + 30, std::max(AHeight - frameExtra.height(), 100));
}

int TfrmInfo::Execute(int ALeft, int ATop, int AWidth, int AHeight) {
    (void)AWidth; // the columns decide the width
    fillRows();
    place(ALeft, ATop, AHeight);
    Button1->setFocus();
    return exec();
}
