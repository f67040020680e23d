#pragma once
// The three commands of "Floppy beolvasása RAV-től" with their windows: the
// folder chooser, and for the full data set a small window that shows the
// stages of the work as they pass (Tfolyamat). The logic is
// exchange::ElszamoltLapok, Szerzodesek and TeljesAdat.

#include "exchange/ravfajl.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <vector>

class QLabel;

namespace core {
struct AppState;
}

namespace exchange {

// The stages of the full data set's import, the current one in bold, those
// done ticked.
class BeolvasasWindow : public QDialog {
    Q_OBJECT
public:
    BeolvasasWindow(const QStringList& stages, QWidget* parent = nullptr);
    void stage(const QString& name);
    QString current() const { return current_; }

private:
    QStringList stages_;
    std::vector<QLabel*> labels_;
    QString current_;
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

} // namespace exchange
