#pragma once
// Tszweb (unit szweb) where the embedded browser cannot start: as root with
// the browser's sandbox on, without Qt WebEngine on the machine, or in a
// build without it. The fund's e-report portal opens in the user's default
// browser, and this window, with the e-report window's caption, says so and
// names the KULD folder and the three files to upload there; its buttons
// open the portal and the folder again. Esc or "Bezárás" closes it.
//
// ejelentes() makes the choice for the register's "Adatküldés": the
// embedded window when the browser can start, this one otherwise. The choice
// is made before any part of the browser exists, because Qt WebEngine ends
// the whole process when it fails to start.

#include "exchange/tszweb.h"

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

namespace ui {
class Messages;
}

namespace exch {

// Opens an address (a web page or a folder) with the user's default program;
// false when nothing opened it.
using Megnyito = std::function<bool(const QUrl&)>;

class TszwebKulsoWindow : public QDialog {
    Q_OBJECT
public:
    // `akadaly`: why the embedded browser cannot start (bongeszoAkadaly);
    // `nyit`: the default program (QDesktopServices when not given); `msg`
    // says when the KULD folder does not open.
    TszwebKulsoWindow(ui::Messages& msg, const QUrl& portal, const QString& kuldDir,
                      const QString& akadaly, QWidget* parent = nullptr, Megnyito nyit = {});

    // The mode the window is shown in; "E" opens the portal.
    void setMode(const QString& mode) { mode_ = mode; }
    // The window's text: the reason, the portal, the folder and its files.
    QString text() const;

    QLabel* L1;            // what happened, with the portal's address
    QLabel* L2;            // the KULD folder and its files
    QPushButton* honlap;   // "&Honlap megnyitása"
    QPushButton* mappa;    // "&KULD mappa megnyitása"
    QPushButton* bezaras;  // "&Bezárás"

protected:
    void showEvent(QShowEvent* event) override;

private:
    void honlapClick();
    void mappaClick();

    ui::Messages& msg_;
    QUrl portal_;
    QString kuldDir_, akadaly_;
    Megnyito nyit_;
    QString mode_ = QStringLiteral("E");
    bool opened_ = false;
};

// The e-report window this machine can show, modally over `parent`: the
// embedded one through `beagyazott` when `k` lets the browser start (not
// given: the program was built without it), else TszwebKulsoWindow.
void ejelentes(QWidget* parent, ui::Messages& msg, const QUrl& portal, const QString& kuldDir,
               const BongeszoKornyezet& k, const std::function<void(QWidget*)>& beagyazott,
               Megnyito nyit = {});

} // namespace exch
