#pragma once
// Tutkep: the paths window ("&Súgó" -> "&Útvonalak"), the program's folders
// and the base fee of the current period, in one label.

#include <QDialog>

class QLabel;
class QPushButton;

namespace app {

class PathsWindow : public QDialog {
    Q_OBJECT
public:
    explicit PathsWindow(QWidget* parent = nullptr);

    // The text of label L1 (built by pathsText).
    void setText(const QString& text);
    QString text() const;

private:
    QLabel* L1;
    QPushButton* OKBtn;
};

} // namespace app
