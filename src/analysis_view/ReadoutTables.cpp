#include "analysis_view/ReadoutTables.h"

#include "analysis_view/ResultCanvas.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace torva {

namespace {

QTableWidget* NewTable(const char* name) {
    auto* table = new QTableWidget;
    table->setObjectName(QString::fromLatin1(name));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

// A paragraph, so that a long tip wraps instead of running across the screen.
QString TipText(const std::string& tip) {
    return QStringLiteral("<p>%1</p>").arg(QString::fromStdString(tip).toHtmlEscaped());
}

QString OutOfDateNote() {
    return QString::fromUtf8(ResultCanvas::kOutOfDate);
}

} // namespace

void FillTable(QTableWidget* table, const ReadoutTable& rows) {
    table->clear();
    table->setColumnCount(static_cast<int>(rows.header.size()));
    table->setRowCount(static_cast<int>(rows.rows.size()));
    QStringList header;
    for (const std::string& text : rows.header) header << QString::fromStdString(text);
    table->setHorizontalHeaderLabels(header);
    for (int c = 0; c < table->columnCount() && c < static_cast<int>(rows.headerTips.size()); ++c)
        if (!rows.headerTips[size_t(c)].empty())
            table->horizontalHeaderItem(c)->setToolTip(TipText(rows.headerTips[size_t(c)]));
    for (int r = 0; r < table->rowCount(); ++r)
        for (int c = 0; c < table->columnCount() && c < static_cast<int>(rows.rows[size_t(r)].size()); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows.rows[size_t(r)][size_t(c)]));
            // Numbers line up on the right, names on the left.
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            const std::string& tip = rows.Tip(size_t(r), size_t(c));
            if (!tip.empty()) item->setToolTip(TipText(tip));
            table->setItem(r, c, item);
        }
}

ElementTablePane::ElementTablePane(QWidget* parent) : QWidget(parent) {
    title_ = new QLabel;
    title_->setObjectName(QStringLiteral("elementTitle"));
    nodes_ = NewTable("elementNodes");
    gauss_ = NewTable("elementGaussPoints");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(new QLabel(QStringLiteral("Nodes")));
    layout->addWidget(nodes_, 1);
    layout->addWidget(new QLabel(QStringLiteral("Gauss points")));
    layout->addWidget(gauss_, 2);
}

void ElementTablePane::Show(const ResultField& field, const MeshView& mesh, const double* x, const double* y,
                            int element, const QString& label, const QString& step, bool outOfDate) {
    if (outOfDate) {
        title_->setText(label + QStringLiteral(": ") + OutOfDateNote());
        FillTable(nodes_, {});
        FillTable(gauss_, {});
        return;
    }
    // An element the results' mesh does not have (an edit added it) has no numbers either.
    title_->setText(field.hasResults && element >= 0 ? label + QStringLiteral(" at step ") + step
                                                     : label + QStringLiteral(": no results"));
    FillTable(nodes_, NodeTable(field, mesh, x, y, element));
    FillTable(gauss_, GaussTable(field, element));
}

ReactionsPane::ReactionsPane(QWidget* parent) : QWidget(parent) {
    title_ = new QLabel;
    title_->setObjectName(QStringLiteral("reactionsTitle"));
    table_ = NewTable("reactions");
    note_ = new QLabel;
    note_->setObjectName(QStringLiteral("reactionsNote"));
    note_->setWordWrap(true);
    note_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(table_, 1);
    layout->addWidget(note_);
}

void ReactionsPane::Show(const ResultField& field, const MeshView& mesh, const QString& step,
                         bool outOfDate) {
    if (outOfDate || !field.hasResults || !field.hasReactions) {
        title_->setText(outOfDate ? OutOfDateNote() : QStringLiteral("No results"));
        FillTable(table_, {});
        note_->hide();
        return;
    }
    title_->setText(QStringLiteral("Support reactions at step %1 (sum against the applied loads)").arg(step));
    const ReadoutTable rows = ReactionTable(field.reactions, mesh, field.iterated);
    FillTable(table_, rows);
    note_->setText(QString::fromStdString(rows.note));
    note_->setVisible(!rows.note.empty());
}

} // namespace torva
