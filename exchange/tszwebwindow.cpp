#include "exchange/tszwebwindow.h"

#include "exchange/tszweb.h"
#include "ui/screenfit.h"

#include <QFileDialog>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

namespace exch {

namespace {

// A page whose upload fields start in the KULD folder.
class Page : public QWebEnginePage {
public:
    Page(const QString& dir, QObject* parent) : QWebEnginePage(parent), dir_(dir) {}
    std::function<QStringList(const QStringList&)> chooser;

protected:
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                            const QStringList& accepted) override {
        if (chooser) return chooser(oldFiles);
        QWidget* owner = qobject_cast<QWidget*>(parent());
        const QString dir = feltoltesMappa(dir_, oldFiles);
        if (mode == FileSelectOpenMultiple)
            return QFileDialog::getOpenFileNames(owner, QString(), dir);
        const QString f = QFileDialog::getOpenFileName(owner, QString(), dir);
        return f.isEmpty() ? QStringList() : QStringList{f};
    }

private:
    QString dir_;
};

} // namespace

TszwebWindow::TszwebWindow(const QUrl& portal, const QString& kuldDir, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      portal_(portal), kuldDir_(kuldDir) {
    setObjectName(QStringLiteral("Tszweb"));
    setWindowTitle(QStringLiteral("E-Jelentés küldése ULV honlapjára"));
    setModal(true);
    view_ = new QWebEngineView(this);
    view_->setObjectName(QStringLiteral("WB1"));
    view_->setAccessibleName(QStringLiteral("E-jelentés honlap"));
    view_->setPage(new Page(kuldDir, view_));
    // A portal that cannot be reached gets the program's own page, in
    // Hungarian, with the files to upload; not the browser's error page.
    view_->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    connect(view_->page(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) {
                if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus) return;
                const auto d = info.errorDomain();
                if (d != QWebEngineLoadingInfo::ConnectionErrorDomain &&
                    d != QWebEngineLoadingInfo::DnsErrorDomain)
                    return;
                view_->setHtml(elerhetetlenOldal(info.url(), kuldDir_), info.url());
            });
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(view_);
    // Esc closes the window, also while the page has the keyboard.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &QDialog::reject);
    // The whole screen, frame included, also where the window manager does
    // not maximize a window without a maximize button.
    ui::fillScreen(this);
    setWindowState(Qt::WindowMaximized);
}

void TszwebWindow::toFront() {
    if (!isVisible()) return;
    raise();
    activateWindow();
    view_->setFocus(Qt::ActiveWindowFocusReason);
}

void TszwebWindow::setFileChooser(std::function<QStringList(const QStringList&)> chooser) {
    static_cast<Page*>(view_->page())->chooser = std::move(chooser);
}

void TszwebWindow::showEvent(QShowEvent* event) {
    // Over the window that opened it (the register, itself modal): the
    // window manager keeps it in front of that one.
    if (QWidget* p = parentWidget())
        if (windowHandle() && p->window()->windowHandle())
            windowHandle()->setTransientParent(p->window()->windowHandle());
    QDialog::showEvent(event);
    toFront();
    // Once more after the windows that closed just before it (the question
    // box) have handed their keyboard back.
    QPointer<TszwebWindow> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self) self->toFront();
    });
    if (mode_ == QLatin1String("E") && !navigated_) {
        navigated_ = true;
        view_->load(portal_);
    }
}

} // namespace exch
