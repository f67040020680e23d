#pragma once
// TAboutBox: the About box "Névjegy" ("&Súgó" -> "&Névjegy"), the program's
// icon, title, version
// and maker.

#include <QDialog>

class QLabel;
class QPushButton;

namespace app {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // Label Version.
    void setVersion(const QString& version);

private:
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* Comments;
    QPushButton* OKButton;
};

} // namespace app
