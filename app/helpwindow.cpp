#include "app/helpwindow.h"

#include "app/programinfo.h"
#include "ui/screenfit.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace app {

QString helpContentsUrl() {
    return QStringLiteral("qrc:/help/sugo.html");
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(programTitle() + QStringLiteral(" - Súgó"));

    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpText"));
    browser_->setOpenExternalLinks(true);

    auto* contents = new QPushButton(QStringLiteral("&Tartalom"), this);
    contents->setObjectName(QStringLiteral("ContentsBtn"));
    auto* back = new QPushButton(QStringLiteral("&Vissza"), this);
    back->setObjectName(QStringLiteral("BackBtn"));
    back->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("&Bezárás"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));

    connect(contents, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(buttons);
    outer->addWidget(browser_, 1);
    resize(720, 560);
}

void HelpWindow::showEvent(QShowEvent* event) {
    // Over the middle of the main window, the first time it opens.
    if (!placed_ && parentWidget()) {
        placed_ = true;
        ui::centerWindow(this, parentWidget());
    }
    QWidget::showEvent(event);
}

void HelpWindow::showContents() {
    browser_->setSource(QUrl(helpContentsUrl()));
    browser_->clearHistory();
}

} // namespace app
