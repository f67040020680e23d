#pragma once
// The shell that the master-data maintenance windows (patients, nurses,
// doctors, remainders) share: the list with "Kilépés", "Új felvitel",
// "Módosítás" and "Törlés" beside it, and below it the data panel with
// "Kész" and "Mégse", hidden until "Új felvitel" or "Módosítás" opens it.
// While the panel is open the list and the four buttons rest; Esc means
// "Mégse" then and "Kilépés" otherwise. The window grows and shrinks with the
// panel and stands 50 pixels below and 10 to the right of the main window's
// top left corner. A window derived from it says what its list is, builds its
// data panel, hands it to setUpShell(), and says what its steps do.

#include "masters/browseconfig.h"

#include <QDialog>
#include <QPointer>
#include <QSize>

class QHBoxLayout;
class QPushButton;

namespace ui {
class Messages;
}

namespace masters {

class BrowsePanel;

// What differs between the shells: the window's name and caption, its list,
// and the hints of "Új felvitel", "Módosítás" and "Törlés", which name the record.
struct MaintenanceShell {
    QString windowName;
    QString caption;
    BrowseConfig list;
    QString listName;
    QSize listMinimum;
    QString ujHint, modosHint, torolHint;
};

class MaintenanceWindow : public QDialog {
    Q_OBJECT
public:
    BrowsePanel* panel() const { return list_; }

protected:
    // Makes the list and the four buttons. `mainWindow`: the window this one
    // places itself below (may be null).
    MaintenanceWindow(const MaintenanceShell& shell, ui::Messages& msg, QWidget* mainWindow);
    ~MaintenanceWindow() override;

    // "Kész" and "Mégse" on `dataPanel`, right-aligned in the returned row.
    QHBoxLayout* keszMegse(QWidget* dataPanel, const QString& keszHint = {},
                           const QString& megseHint = {});
    // Lays out the list with the four buttons and the (hidden) data panel
    // below them, and gives the list the focus.
    void setUpShell(QWidget* dataPanel);

    // The data panel shows, the list and the four buttons rest.
    void openShell();
    // The data panel hides, the list and the four buttons wake, the list is
    // refreshed and takes the focus.
    void closeShell();

    void showEvent(QShowEvent* event) override;
    // Esc: "Mégse" while the panel is open, else "Kilépés".
    void reject() override;

    virtual bool panelOpen() const = 0;
    virtual void ujClick() = 0;
    virtual void modosClick() = 0;
    // "Törlés" proper; the list is refreshed after it.
    virtual void torolRecord() = 0;
    virtual void BB1Click() = 0;
    virtual void BB2Click() = 0;

    QPushButton* BB1 = nullptr;
    QPushButton* BB2 = nullptr;

private:
    void kilepClick();
    void torolClick();
    void setListEnabled(bool on);

    QPointer<QWidget> main_;
    BrowsePanel* list_;
    QWidget* dataPanel_ = nullptr;
    QPushButton* kilep;
    QPushButton* uj;
    QPushButton* modos;
    QPushButton* torol;
};

} // namespace masters
