#pragma once
// The BNO viewer Tbnonez (unit bnonezes, "BNO törzs megnézése") of the menu
// "B&NO X": the BNO panel and "Kilépés".

#include <QDialog>
#include <QPointer>

class QPushButton;

namespace core {
struct AppState;
}

namespace masters {

class BrowsePanel;

class BnoViewerWindow : public QDialog {
    Q_OBJECT
public:
    BnoViewerWindow(core::AppState& state, QWidget* mainWindow = nullptr);
    BrowsePanel* panel() const { return BNOkep1; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPointer<QWidget> main_;
    BrowsePanel* BNOkep1;
    QPushButton* kilep;
};

// Menu "B&NO X" (BNOX1Click).
void openBnoNez(core::AppState& state, QWidget* parent);

} // namespace masters
