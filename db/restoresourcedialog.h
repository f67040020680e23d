#pragma once
// Tviszv (unit viszval): the restore-source dialog, "MENT könyvtár" or "Választott útvonal"
// (a folder with Zaras.arj, picked in the folder chooser that opens right
// under this dialog). A view over db::restoreSourceOk.

#include "db/backup.h"

#include <QDialog>
#include <memory>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace ui {
class FolderAsker;
class Messages;
} // namespace ui

namespace db {

class RestoreSourceDialog : public QDialog {
    Q_OBJECT
public:
    RestoreSourceDialog(const QString& mentkonyvtar, ui::Messages& msg, QWidget* parent = nullptr);
    ~RestoreSourceDialog() override;

    // The chooser "Választott útvonal" asks; by default the chooser window,
    // placed under this dialog.
    void setFolderAsker(ui::FolderAsker* folders) { folders_ = folders; }

    // The result: empty when nothing was chosen or the dialog was closed.
    const RestoreSource& source() const { return source_; }

    QGroupBox* RG1;
    QRadioButton* Ment;       // "MENT könyvtár"
    QRadioButton* Valasztott; // "Választott útvonal"
    QPushButton* B1;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void B1Click();

private:
    QButtonGroup* group_;
    QString ment_;
    ui::Messages& msg_;
    std::unique_ptr<ui::FolderAsker> ownFolders_;
    ui::FolderAsker* folders_;
    RestoreSource source_;
};

// The dialog behind the RestoreSourceAsker of db::Backup.
class QtRestoreSourceAsker : public RestoreSourceAsker {
public:
    QtRestoreSourceAsker(const QString& mentkonyvtar, ui::Messages& msg, QWidget* parent)
        : ment_(mentkonyvtar), msg_(msg), parent_(parent) {}
    RestoreSource askRestoreSource() override;

private:
    QString ment_;
    ui::Messages& msg_;
    QWidget* parent_;
};

} // namespace db
