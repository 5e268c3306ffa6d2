#pragma once
// The numbers of the results on show in the results window, where an engineer reads them: the status
// line of the element under the mouse, the element table a click opens and the reactions table. Both
// tables are docks of the analysis frame, floating at first (so the view keeps its size), and follow
// the step the results window shows; results that no longer belong to the model give no numbers.
#include <QObject>
#include <QString>

class QDockWidget;

namespace torva {

class ElementTablePane;
class ReactionsPane;
class ResultsPane;

class NumberDocks : public QObject {
    Q_OBJECT
public:
    // Docks into `frame` (a QMainWindow); reads the step on show from `results`.
    NumberDocks(QWidget* frame, ResultsPane* results);

    // Elements are named by their number in the model's mesh and plan position, and found in the mesh
    // the results were computed on by their first corner (cornerX, cornerY), mm.
    struct Pick {
        int element = -1;
        int planX = 0, planY = 0;
        int cornerX = 0, cornerY = 0;
    };
    // The status line for a picked element near its Gauss point `gauss`.
    QString HoverText(const Pick& pick, int gauss) const;
    // Opens (or moves to) the table of an element.
    void ShowElement(const Pick& pick);
    void ShowReactions();

    // Null until first opened.
    QDockWidget* ElementDock() const { return elementDock_; }
    QDockWidget* ReactionsDock() const { return reactionsDock_; }
    ElementTablePane* ElementTable() const { return elementPane_; }
    ReactionsPane* Reactions() const { return reactionsPane_; }
    // The shown element in the results' mesh (−1: none).
    int Element() const;

private:
    void Refresh();
    bool OutOfDate() const;
    QDockWidget* NewDock(const QString& title, const QString& name, QWidget* content);

    QWidget* frame_;
    ResultsPane* results_;
    QDockWidget* elementDock_ = nullptr;
    QDockWidget* reactionsDock_ = nullptr;
    ElementTablePane* elementPane_ = nullptr;
    ReactionsPane* reactionsPane_ = nullptr;
    int ResultElement(const Pick& pick) const;

    Pick pick_;
    QString elementLabel_;
};

} // namespace torva
