#pragma once
// Tutkep: the paths window ("&Súgó" -> "&Útvonalak"), the program's folders
// and the base fee of the current period, in two columns: the labels and,
// beside them, the values, lined up by the layout whatever the font.

#include "app/paths.h"

#include <QDialog>
#include <vector>

class QGridLayout;
class QLabel;
class QPushButton;

namespace app {

class PathsWindow : public QDialog {
    Q_OBJECT
public:
    explicit PathsWindow(QWidget* parent = nullptr);

    // The lines (built by pathRows).
    void setRows(const std::vector<PathRow>& rows);
    // The lines as text, as pathsText gives them, without the last break.
    QString text() const;
    // The label and the value of line `i` (null for the empty line).
    QLabel* labelAt(int i) const;
    QLabel* valueAt(int i) const;

private:
    QGridLayout* grid_;
    std::vector<PathRow> rows_;
    std::vector<QLabel*> labels_, values_;
    QPushButton* OKBtn;
};

} // namespace app
