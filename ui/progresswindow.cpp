#include "ui/progresswindow.h"

#include "ui/numberformat.h"
#include "ui/screenfit.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ui {

ProgressWindow::ProgressWindow(const QString& title, const QString& note, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Tatalakitas"));
    setWindowTitle(title);
    // No close button: a step runs to its end unless it offers "Mégse".
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowModality(Qt::ApplicationModal);
    auto* box = new QVBoxLayout(this);
    if (!note.isEmpty()) {
        auto* n = new QLabel(note, this);
        n->setObjectName(QStringLiteral("megjegyzes"));
        n->setWordWrap(true);
        box->addWidget(n);
    }
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("szoveg"));
    text_->setMinimumWidth(420);
    text_->setWordWrap(true);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("folyamat"));
    bar_->setTextVisible(false);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("darab"));
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cancel_ = new QPushButton(QStringLiteral("Mégse"), this);
    cancel_->setObjectName(QStringLiteral("megse"));
    cancel_->setAccessibleName(QStringLiteral("Mégse"));
    cancel_->setVisible(false);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    box->addWidget(text_);
    box->addWidget(bar_);
    box->addWidget(count_);
    box->addWidget(cancel_, 0, Qt::AlignRight);
    setMinimumWidth(ui::titleWidth(this));
}

void ProgressWindow::offerCancel(bool on) {
    cancelled_ = false;
    offered_ = on;
    cancel_->setVisible(on);
}

bool ProgressWindow::cancelRequested() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return offered_ && cancelled_;
}

void ProgressWindow::reject() {
    // Esc stops what can be stopped; the window itself stays until the
    // step reports its end.
    if (offered_) cancelled_ = true;
}

void ProgressWindow::report(const QString& text, qint64 done, qint64 total) {
    if (text.isEmpty()) {
        hide();
        return;
    }
    text_->setText(text);
    bar_->setAccessibleName(text);
    if (total > 0) {
        // The bar counts in thousandths: a million rows overflow no int.
        bar_->setRange(0, 1000);
        bar_->setValue(int(std::min<qint64>(done, total) * 1000 / total));
        count_->setText(QStringLiteral("%1 / %2 sor").arg(formatNumber(done), formatNumber(total)));
    } else {
        bar_->setRange(0, 0);
        count_->clear();
    }
    count_->setAccessibleName(count_->text());
    if (!isVisible()) show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString ProgressWindow::text() const {
    return isVisible() ? text_->text() : QString();
}

QString ProgressWindow::countText() const {
    return count_->text();
}

} // namespace ui
