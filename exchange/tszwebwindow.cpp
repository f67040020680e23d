#include "exchange/tszwebwindow.h"

#include "exchange/tszweb.h"

#include <QFileDialog>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

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
      portal_(portal) {
    setObjectName(QStringLiteral("Tszweb"));
    setWindowTitle(QStringLiteral("E-Jelentés küldése ULV honlapjára"));
    setModal(true);
    view_ = new QWebEngineView(this);
    view_->setObjectName(QStringLiteral("WB1"));
    view_->setAccessibleName(QStringLiteral("E-jelentés honlap"));
    view_->setPage(new Page(kuldDir, view_));
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(view_);
    resize(1000, 700); // where the platform does not maximize
    setWindowState(Qt::WindowMaximized);
}

void TszwebWindow::setFileChooser(std::function<QStringList(const QStringList&)> chooser) {
    static_cast<Page*>(view_->page())->chooser = std::move(chooser);
}

void TszwebWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (mode_ == QLatin1String("E") && !navigated_) {
        navigated_ = true;
        view_->load(portal_);
    }
}

} // namespace exch
