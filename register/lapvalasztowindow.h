#pragma once
// The frame that Treszlap and Tjavit share: the sheet list in the shared
// browse panel with the register's ten columns, a choose button `valaszt`
// and `kilep` "Kilépés" (Escape). On showing it stands 60 pixels below and
// 10 right of the register's corner. LAP carries the chooser's filter while
// the window is open (the register's command appends it and puts it back).

#include <QDialog>
#include <QPointer>

class QPushButton;

namespace core {
struct AppState;
}
namespace masters {
class BrowsePanel;
}

namespace reg {

// The sheet list's ten columns, each as wide as its field or its (bold)
// title, whichever is wider; the panel at least as wide as all of them. The
// register and both choosers use it.
void lapOszlopok(masters::BrowsePanel* panel);

class LapValasztoWindow : public QDialog {
    Q_OBJECT
public:
    masters::BrowsePanel* panel() const { return Lapkep1; }
    QPushButton* valasztButton() const { return valaszt; }
    QPushButton* kilepButton() const { return kilep; }

    // Shows the window modally with the caption; the list read again.
    int exec(const QString& felirat);
    using QDialog::exec;

protected:
    LapValasztoWindow(core::AppState& state, QWidget* registerWindow, const char* name,
                      const QString& caption, const QString& valasztCaption,
                      const QString& windowHint);
    void showEvent(QShowEvent* event) override;
    // "Választás" / "Javítás".
    virtual void valasztClick() = 0;

    core::AppState& st_;
    QPointer<QWidget> register_;
    masters::BrowsePanel* Lapkep1 = nullptr;
    QPushButton* valaszt = nullptr;
    QPushButton* kilep = nullptr;
};

} // namespace reg
