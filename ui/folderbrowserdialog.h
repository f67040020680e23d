#pragma once
// TAlapkeres (unit beall): the folder chooser window, a drive list and the directory list
// that follows it, "&OK" and "&Mégsem". A view over ui::FolderBrowser; the
// caller gives the caption and the mode that places the window. The folder
// "&OK" takes is shown in full above the list; Enter on a highlighted folder
// enters it, Backspace goes up.
//
//     const ui::FolderChoice c = ui::chooseFolder(this, caption, QStringLiteral("S"));
//     if (c.chosen) copyTo(c.dir);

#include "ui/folderbrowser.h"

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace ui {

class FolderBrowserDialog : public QDialog {
    Q_OBJECT
public:
    // `anchor`: the window that modes "V" and "K" place the chooser under
    // (the restore-source dialog, the register window); may be null.
    // `startDir`: the folder shown first (the current directory when empty).
    FolderBrowserDialog(Messages& msg, const QString& caption, const QString& mode,
                        QWidget* anchor = nullptr, QWidget* parent = nullptr,
                        const QString& startDir = {}, const QStringList& drives = {});

    FolderBrowser& browser() { return browser_; }
    FolderChoice result() const { return browser_.result(); }

    QComboBox* DriveCB;
    QListWidget* DirLB;
    QLabel* DirLabel; // the folder the list shows
    QPushButton* Igen;
    QPushButton* Nem;

protected:
    void showEvent(QShowEvent* event) override;
    // Enter and Backspace in the directory list.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Esc and the close box act as "&Mégsem".
    void reject() override;

private slots:
    void IgenClick();
    void NemClick();
    void DriveCBChange(int index);
    void DirLBDblClick(QListWidgetItem* item);

private:
    // Lists the folder the browser shows and selects its drive.
    void refresh();

    FolderBrowser browser_;
    QString mode_;
    QPointer<QWidget> anchor_;
    bool refreshing_ = false;
};

// Shows the chooser modally and returns the user's choice.
FolderChoice chooseFolder(Messages& msg, QWidget* parent, const QString& caption,
                          const QString& mode, QWidget* anchor = nullptr,
                          const QString& startDir = {});
// The same with the warnings in message boxes over `parent`.
FolderChoice chooseFolder(QWidget* parent, const QString& caption, const QString& mode,
                          QWidget* anchor = nullptr);

// The chooser window behind the FolderAsker of the logic classes. It starts
// in the current directory, and then where the user last left it.
class QtFolderAsker : public FolderAsker {
public:
    QtFolderAsker(Messages& msg, QWidget* parent, QWidget* anchor = nullptr)
        : msg_(msg), parent_(parent), anchor_(anchor) {}
    FolderChoice chooseFolder(const QString& caption, const QString& mode) override;

private:
    Messages& msg_;
    QPointer<QWidget> parent_;
    QPointer<QWidget> anchor_;
    QString last_;
};

} // namespace ui
