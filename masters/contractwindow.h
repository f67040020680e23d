#pragma once
// Tszerzmut (unit szerznez): the contract data view, with the contract list
// Tszerzkep (unit Tszerz; SZERZ from 1999.06.01), the group "A szolgáltató adatai" with the
// selected contract's quotas and staff numbers, and three one-record-at-a-time panels for the
// workers (TDolgkep, unit TDolg: SZOLGSZ), the service sites (Tthelykep, unit Tthely: THELY) and
// the service areas (Tterulkep, unit Tterulet: TERULET) of that contract. Read-only; a view over
// masters::Contract.

#include "masters/contract.h"

#include <QDialog>
#include <QGroupBox>
#include <QPointer>
#include <vector>

class QLineEdit;
class QScrollArea;
class QPushButton;
class QTableView;
class QToolButton;

namespace engine {
class Table;
}

namespace masters {

class TableModel;

// Fields of a table's current record in read-only edits, one row per label,
// with a navigator (first, prior, next, last) when asked for.
class RecordFields : public QGroupBox {
    Q_OBJECT
public:
    struct Item {
        QString label; // before the field; may be empty
        QString field;
        int width; // characters shown
    };
    struct Row {
        QString label;
        std::vector<Item> items;
    };

    RecordFields(const QString& title, engine::Table& table, const std::vector<Row>& rows,
                 bool navigator, QWidget* parent = nullptr);

    engine::Table& table() const { return table_; }
    // The edit showing a field (null when the panel has none).
    QLineEdit* fieldEdit(const QString& field) const;
    QToolButton* nextButton() const { return next_; }

    // Shows the table's current record (empty fields when there is none).
    void showRecord();

private:
    void step(void (engine::Table::*move)());

    engine::Table& table_;
    std::vector<std::pair<QString, QLineEdit*>> edits_;
    QToolButton* next_ = nullptr;
};

class ContractWindow : public QDialog {
    Q_OBJECT
public:
    ContractWindow(core::AppState& state, QWidget* mainWindow = nullptr);
    ~ContractWindow() override;

    Contract& logic() { return view_; }
    QTableView* contractGrid() const { return DBGszer; }
    // The edit of a SZERZ field in the group "A szolgáltató adatai".
    QLineEdit* contractField(const QString& field) const;
    RecordFields* panel(Contract::Panel p) const;

    // The list's current row follows the SZERZ record and the group shows it.
    void showContract();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    // The window's parts, built in this order (the tab order follows it).
    void buildContractList();
    void buildProviderData();
    void buildPanels();
    void layOut();
    void bindPanels();

    void contractRowChanged(int row);
    void contractStep(void (engine::Table::*move)());

    core::AppState& st_;
    Contract view_;
    QPointer<QWidget> main_;
    bool closed_ = false;
    bool syncing_ = false;

    QWidget* szerzkep1;
    QTableView* DBGszer;
    TableModel* szerzModel_;
    QGroupBox* szolgaltato_;
    std::vector<RecordFields*> contractParts_; // the group's fields and sub-groups
    RecordFields* Dolgkep1;
    RecordFields* thelykep1;
    RecordFields* terulkep1;
    QPushButton* kilep;
    QScrollArea* scroll_;
};

// Menu "&Szerződés" (Szerzds1Click).
void openSzerzodes(core::AppState& state, QWidget* parent);

} // namespace masters
