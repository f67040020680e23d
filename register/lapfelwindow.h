#pragma once
// Tlapfel (unit lapfel): the old-layout sheet of periods before 2005.02,
// shown read-only by "Megtekintés". A thin view over reg::LapfelModel: two
// pages (the sheet's data, the eighteen visit slots), every field read-only,
// the save button disabled.

#include "register/lapfel.h"

#include <QDialog>
#include <QHash>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace core {
struct AppState;
}

namespace reg {

class LapfelWindow : public QDialog {
    Q_OBJECT
public:
    explicit LapfelWindow(QWidget* parent = nullptr);

    // Shows the model in the fields, first page, caption "Elszámolási lap
    // megtekintése".
    void mutat(const LapfelModel& m);
    // The field showing a LAP or ELREND field or a name label ("TAJ", "TOL3",
    // "nev", "bno1"); null for an unknown name.
    QLineEdit* field(const QString& name) const { return fields_.value(name); }
    QComboBox* nemeChoice() const { return neme_; }
    QComboBox* tpotlChoice() const { return tpotl_; }
    QPushButton* mentButton() const { return ment_; }
    QTabWidget* pages() const { return pages_; }

private:
    QLineEdit* addField(QGridLayout* grid, int row, int col, const QString& label,
                        const QString& name, int chars);

    QHash<QString, QLineEdit*> fields_;
    QComboBox* neme_ = nullptr;
    QComboBox* tpotl_ = nullptr;
    QPushButton* ment_ = nullptr;
    QTabWidget* pages_ = nullptr;
};

class LapokWindow;

// Wires "Megtekintés" (Megtekints1) of the register window: a sheet from
// 2005.02 goes to the register's entry-window hook (read-only), an older one
// to a Tlapfel window made for the register.
void wireMegtekintes(LapokWindow& w, core::AppState& st);

} // namespace reg
