#pragma once
// Tatalakitas: a small window that says what a long step of the program is
// doing while nothing else is on the screen (the one-time upgrade of old
// table layouts at the start, the unpacking of a restored archive), with a
// bar and the count of rows done. It appears with the first report and
// disappears with an empty one. Input is not processed while it is shown;
// the window only repaints, unless it offers "Mégse" for a step that can be
// stopped: then it is modal, and its button (or Esc) is the only input
// taken.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

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

    // Shows "Mégse" while `on`; turning it on forgets an earlier press.
    void offerCancel(bool on);
    // Processes the pending events, input included; true once "Mégse" has
    // been pressed while offered.
    bool cancelRequested();

public slots:
    void reject() override;

private:
    QLabel* text_;
    QProgressBar* bar_;
    QLabel* count_;
    QPushButton* cancel_;
    bool offered_ = false;
    bool cancelled_ = false;
};

} // namespace ui
