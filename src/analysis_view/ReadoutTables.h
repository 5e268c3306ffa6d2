#pragma once
// The number tables of the analysis window: one element's nodes and Gauss points, and the supports'
// reactions against the applied loads. They show the rows the core prepares (ElementReadout); a title
// line says what and which step, or why there are no numbers.
#include "analysis/ElementReadout.h"
#include "analysis/MeshView.h"
#include "analysis/ResultField.h"

#include <QString>
#include <QWidget>

class QLabel;
class QTableWidget;

namespace torva {

// Header and cells of a table, read-only.
void FillTable(QTableWidget* table, const ReadoutTable& rows);

class ElementTablePane : public QWidget {
    Q_OBJECT
public:
    explicit ElementTablePane(QWidget* parent = nullptr);

    // Element `element` of `field` (laid out by `mesh`, nodes at x, y mm), named `label`, at `step`;
    // with `outOfDate` no numbers, only the note.
    void Show(const ResultField& field, const MeshView& mesh, const double* x, const double* y, int element,
              const QString& label, const QString& step, bool outOfDate);

    QLabel* Title() const { return title_; }
    QTableWidget* Nodes() const { return nodes_; }
    QTableWidget* GaussPoints() const { return gauss_; }

private:
    QLabel* title_;
    QTableWidget* nodes_;
    QTableWidget* gauss_;
};

class ReactionsPane : public QWidget {
    Q_OBJECT
public:
    explicit ReactionsPane(QWidget* parent = nullptr);

    void Show(const ResultField& field, const MeshView& mesh, const QString& step, bool outOfDate);

    QLabel* Title() const { return title_; }
    QTableWidget* Table() const { return table_; }
    // What the table's figures mean where they need it (hidden when there is nothing to say).
    QLabel* Note() const { return note_; }

private:
    QLabel* title_;
    QTableWidget* table_;
    QLabel* note_;
};

} // namespace torva
