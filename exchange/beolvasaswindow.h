#pragma once
// The three commands of "Floppy beolvasása RAV-től" with their windows: the
// folder chooser, and for the full data set a small window that shows the
// stages of the work as they pass (Tfolyamat). The logic is
// exch::ElszamoltLapok, Szerzodesek and TeljesAdat.

#include "db/arj.h"
#include "exchange/ravfajl.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <vector>

class QLabel;
class QPushButton;

namespace core {
struct AppState;
}

namespace exch {

// The stages of the full data set's import, the current one in bold, those
// done ticked. While the archive is unpacked its "Mégse" stops the
// archiver; the window is modal, so that this button is the only input
// taken meanwhile.
class BeolvasasWindow : public QDialog, public db::UnpackWatch {
    Q_OBJECT
public:
    BeolvasasWindow(const QStringList& stages, QWidget* parent = nullptr);
    void stage(const QString& name);
    QString current() const { return current_; }

    // db::UnpackWatch: "Mégse" usable from begin() to end().
    void begin(const QString& archiveName) override;
    bool stopRequested() override;
    void end() override;

public slots:
    void reject() override;

private:
    QStringList stages_;
    std::vector<QLabel*> labels_;
    QPushButton* cancel_;
    QString current_;
    bool cancelled_ = false;
};

// Each command, once its import finished, offers its summary to `nyomtat`
// (the main window's print preview; unset: not offered).
// "Elszámolt lapok beolvasása RAV-től".
void elszamoltLapokBeolvasasa(core::AppState& state, QWidget* parent,
                              const OsszegzesNyomtato& nyomtat = {});
// "Szerződések beolvasása RAV-től"; false when the program must end.
bool szerzodesekBeolvasasa(core::AppState& state, QWidget* parent,
                           const std::function<bool()>& szerzadat,
                           const OsszegzesNyomtato& nyomtat = {});
// "Teljes adatállomány beolvasása RAV-től".
void teljesAdatBeolvasasa(core::AppState& state, QWidget* parent,
                          const OsszegzesNyomtato& nyomtat = {});

} // namespace exch
