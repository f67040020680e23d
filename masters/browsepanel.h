#pragma once
// TApolkep (unit TApol), TOrvoskep (unit TOrvos), TBetegkep (unit TBeteg),
// TTelepkep (unit TTelepul), TBNOkep (unit TBNO), TLapkep (unit Tlap): the
// browse panel that every master-data window and the sheet register embed: the label "Keresett
// szöveg:" with the search text beside it, a navigator (first, prior, next, last) and a read-only
// grid on one of the main window's table objects, ordered by the column whose title was clicked and
// searched by typing (the rules are BrowseSearch's).
//
//     auto cfg = masters::betegPanel(state.tables);
//     cfg.columns[0].title = QStringLiteral("TAJ/Azonosító");
//     auto* panel = new masters::BrowsePanel(cfg, state.msg, this);
//     connect(panel, &masters::BrowsePanel::activated, this, &Picker::valaszt);
//
// The grid's selection follows the table's current record both ways: a click
// or an arrow key moves the table, a search or the navigator moves the
// selection. After writing to the table elsewhere call refresh() (the panel
// also notices a change by itself when it repaints).

#include "masters/browseconfig.h"
#include "masters/browsesearch.h"
#include "masters/tablemodel.h"

#include <QWidget>
#include <memory>

class QLabel;
class QTableView;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace ui {
class Messages;
}

namespace masters {

class BrowsePanel : public QWidget {
    Q_OBJECT
public:
    BrowsePanel(const BrowseConfig& config, ui::Messages& msg, QWidget* parent = nullptr);
    ~BrowsePanel() override;

    QTableView* grid() const { return grid_; }
    // The width the grid needs to show every column whole: the columns, the
    // vertical scroll bar and the grid's frame.
    int columnsWidth() const;
    // Sets the width of each column of a grid on a TableModel to what its
    // field needs (or its title, when longer); the last column takes the rest.
    static void sizeColumnsToFields(QTableView* grid);
    // The navigator ("DBNavigator") and its buttons.
    QWidget* navigator() const { return navigator_; }
    QToolButton* firstButton() const { return first_; }
    QToolButton* priorButton() const { return prior_; }
    QToolButton* nextButton() const { return next_; }
    QToolButton* lastButton() const { return last_; }
    // The static text `szoveg` beside "Keresett szöveg:".
    QLabel* searchLabel() const { return szoveg_; }

    engine::Table& table() const { return *config_.table; }
    TableModel& model() const { return *model_; }
    BrowseSearch& search() { return search_; }
    const BrowseConfig& config() const { return config_; }

    // Changes a column title of the grid.
    void setColumnTitle(int column, const QString& title);
    // Enables or disables the grid and the navigator together (the windows
    // do so while their data group is open).
    void setBrowseEnabled(bool on);

public slots:
    // FrameEnter: also run by itself when the focus comes into the panel
    // from another control of the window (or the first time the window
    // shows with the focus in it).
    void enter();
    // Takes the rows again if the table changed and selects its current
    // record.
    void refresh();
    // Forgets the type-ahead text (a command ran). Any key that is no
    // search character does so by itself, also when a shortcut takes it
    // before the grid sees it.
    void clearSearch();
    // Selects the table's current record in the grid.
    void showCurrent();

signals:
    // Enter in the grid, after the panel's own key handling (the pickers run
    // "Választ", the register its Enter choice).
    void activated();
    // A double click on a row (the table is already on that record).
    void doubleClicked();
    // The table's current record changed through the grid or the navigator.
    void currentChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class HeaderModel;
    // The navigator and the search text above the grid; the grid.
    void buildTopBar(QVBoxLayout* layout);
    void buildGrid(QVBoxLayout* layout);
    void gridKey(class QKeyEvent* e, bool& consumed);
    void titleClicked(int column);
    void rowActivated(const QModelIndex& current);
    void navigate(void (engine::Table::*step)());
    void updateSearchLabel();
    void updateTitles();

    BrowseConfig config_;
    ui::Messages& msg_;
    BrowseSearch search_;
    TableModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QWidget* navigator_ = nullptr;
    QToolButton *first_ = nullptr, *prior_ = nullptr, *next_ = nullptr, *last_ = nullptr;
    QLabel* szoveg_ = nullptr;
    bool syncing_ = false; // the selection is being set from the table
    bool refreshQueued_ = false;
};

} // namespace masters
