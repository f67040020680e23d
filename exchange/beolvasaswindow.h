#pragma once
// The three commands of "Floppy beolvasása RAV-től" with their windows: the
// folder chooser, and for the full data set a small window that shows the
// stages of the work as they pass (Tfolyamat). The logic is
// exchange::ElszamoltLapok, Szerzodesek and TeljesAdat.

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

// "Elszámolt lapok beolvasása RAV-től".
void elszamoltLapokBeolvasasa(core::AppState& state, QWidget* parent);
// "Szerződések beolvasása RAV-től"; false when the program must end.
bool szerzodesekBeolvasasa(core::AppState& state, QWidget* parent,
                           const std::function<bool()>& szerzadat);
// "Teljes adatállomány beolvasása RAV-től".
void teljesAdatBeolvasasa(core::AppState& state, QWidget* parent);

} // namespace exchange
