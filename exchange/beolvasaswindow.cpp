#include "exchange/beolvasaswindow.h"

#include "core/appstate.h"
#include "core/guarded.h"
#include "engine/dberror.h"
#include "exchange/elszamoltlapok.h"
#include "exchange/szerzodesek.h"
#include "exchange/teljesadat.h"
#include "ui/folderbrowserdialog.h"
#include "ui/messages.h"
#include "ui/screenfit.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace exch {

BeolvasasWindow::BeolvasasWindow(const QStringList& stages, QWidget* parent)
    : QDialog(parent), stages_(stages) {
    setObjectName(QStringLiteral("Tfolyamat"));
    setWindowTitle(QStringLiteral("Teljes adatállomány beolvasása"));
    auto* box = new QVBoxLayout(this);
    setWindowModality(Qt::ApplicationModal);
    for (const QString& s : stages_) {
        auto* l = new QLabel(s, this);
        l->setAccessibleName(s);
        box->addWidget(l);
        labels_.push_back(l);
    }
    cancel_ = new QPushButton(QStringLiteral("Mégse"), this);
    cancel_->setObjectName(QStringLiteral("megse"));
    cancel_->setAccessibleName(QStringLiteral("Mégse"));
    cancel_->setEnabled(false);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    box->addWidget(cancel_, 0, Qt::AlignRight);
    // As wide as its caption, which the window manager would cut otherwise.
    setMinimumWidth(ui::titleWidth(this));
}

void BeolvasasWindow::begin(const QString&) {
    cancelled_ = false;
    cancel_->setEnabled(true);
}

bool BeolvasasWindow::stopRequested() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return cancel_->isEnabled() && cancelled_;
}

void BeolvasasWindow::end() {
    cancel_->setEnabled(false);
}

void BeolvasasWindow::reject() {
    // Esc stops the unpacking; otherwise the window stays to the end.
    if (cancel_->isEnabled()) cancelled_ = true;
}

void BeolvasasWindow::stage(const QString& name) {
    current_ = name;
    const int at = int(stages_.indexOf(name));
    for (int i = 0; i < int(labels_.size()); ++i) {
        const QString s = stages_[i];
        labels_[size_t(i)]->setText(i < at    ? QStringLiteral("✓ ") + s
                                    : i == at ? QStringLiteral("<b>") + s.toHtmlEscaped() +
                                                    QStringLiteral("</b>")
                                              : s);
        labels_[size_t(i)]->setAccessibleDescription(i < at    ? QStringLiteral("kész")
                                                     : i == at ? QStringLiteral("folyamatban")
                                                               : QString());
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void elszamoltLapokBeolvasasa(core::AppState& st, QWidget* parent,
                              const OsszegzesNyomtato& nyomtat) {
    ui::QtFolderAsker folders(st.msg, parent);
    ElszamoltLapok imp(st, folders);
    core::guarded(st, [&] {
        imp.beolvasClick();
        return true;
    });
    osszegzesNyomtatasa(st.msg, QStringLiteral("Elszámolt lapok beolvasása"), imp.zaroUzenet(),
                        nyomtat);
}

bool szerzodesekBeolvasasa(core::AppState& st, QWidget* parent,
                           const std::function<bool()>& szerzadat,
                           const OsszegzesNyomtato& nyomtat) {
    ui::QtFolderAsker folders(st.msg, parent);
    Szerzodesek imp(st, folders, szerzadat);
    const bool ok = core::guarded(st, [&] { return imp.beolvasClick(); });
    if (ok)
        osszegzesNyomtatasa(st.msg, QStringLiteral("Szerződések beolvasása"), imp.zaroUzenet(),
                            nyomtat);
    return ok;
}

void teljesAdatBeolvasasa(core::AppState& st, QWidget* parent, const OsszegzesNyomtato& nyomtat) {
    ui::QtFolderAsker folders(st.msg, parent);
    TeljesAdat imp(st, folders);
    BeolvasasWindow progress(teljesSzakaszok(), parent);
    imp.setProgress([&](const QString& s) {
        if (!progress.isVisible()) progress.show();
        progress.stage(s);
    });
    imp.archiver().setWatch(&progress);
    core::guarded(st, [&] {
        imp.beolvasClick();
        return true;
    });
    progress.hide();
    osszegzesNyomtatasa(st.msg, QStringLiteral("Teljes adatállomány beolvasása"), imp.zaroUzenet(),
                        nyomtat);
}

} // namespace exch
