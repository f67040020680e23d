#pragma once
// Tszweb (unit szweb): the e-report window, "E-Jelentés küldése ULV
// honlapjára". Maximized, minimize and close only, one embedded browser WB1
// filling it, which opens the fund's e-report portal when the window is shown
// in mode "E". The user uploads the three files of KULD through the page; a
// file-upload field always opens its chooser in the KULD folder, whatever
// it chose before (exch::feltoltesMappa). The window opens in front
// of the register with the keyboard, and Esc closes it. When the portal
// cannot be reached (no network), a Hungarian page says so and names the
// KULD folder and its files, instead of the browser's own error page.
//
// Built into its own library (szweb) so that only the program and this
// window's test link Qt WebEngine; a build without it (SZ_WEBENGINE off)
// and a machine where it cannot start use exch::TszwebKulsoWindow; the
// choice between the two is exch::ejelentes() (exchange/tszwebkulsowindow.h).

#include <QDialog>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWebEngineView;

namespace exch {

class TszwebWindow : public QDialog {
    Q_OBJECT
public:
    // `portal`: the address to open; `kuldDir`: the folder the upload field
    // offers first.
    TszwebWindow(const QUrl& portal, const QString& kuldDir, QWidget* parent = nullptr);

    // The mode the window is shown in; "E" navigates to the portal.
    void setMode(const QString& mode) { mode_ = mode; }
    QWebEngineView* WB1() const { return view_; }
    // Replaces the file chooser of upload fields (tests): given the files
    // the field already holds, returns the chosen files.
    void setFileChooser(std::function<QStringList(const QStringList&)> chooser);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void toFront();

    QWebEngineView* view_ = nullptr;
    QUrl portal_;
    QString kuldDir_;
    QString mode_ = QStringLiteral("E");
    bool navigated_ = false;
};

} // namespace exch
