#pragma once
// Tatalakitas: a small window that says what a long step of the program is
// doing while nothing else is on the screen (the one-time upgrade of old
// table layouts at the start), with a bar and the count of rows done. It
// appears with the first report and disappears with an empty one. Input is
// not processed while it is shown; the window only repaints.

#include <QDialog>

class QLabel;
class QProgressBar;

namespace ui {

class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    // `note`: a line above the changing text (empty: none).
    ProgressWindow(const QString& title, const QString& note, QWidget* parent = nullptr);

    // `text` is what is being done; `done` of `total` rows (total 0: no
    // count, the bar just moves). An empty text hides the window.
    void report(const QString& text, qint64 done, qint64 total);

    QString text() const;
    QString countText() const;

private:
    QLabel* text_;
    QProgressBar* bar_;
    QLabel* count_;
};

} // namespace ui
