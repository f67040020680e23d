#include "app/backupcommands.h"

#include "core/appstate.h"
#include "core/guarded.h"
#include "db/backup.h"
#include "db/restoresourcedialog.h"
#include "ui/folderbrowserdialog.h"
#include "ui/messages.h"

namespace app {

void mentes(core::AppState& st, QWidget* parent) {
    ui::QtFolderAsker folders(st.msg, parent);
    db::QtRestoreSourceAsker sources(st.mentkonyvtar, st.msg, parent);
    db::Backup backup({st.msg, st.tables, st.mentkonyvtar, st.tempkonyvtar}, folders, sources);
    core::guarded(st, [&] {
        backup.mentes();
        return true;
    });
}

ProgressWatch::ProgressWatch(const QString& title, QWidget* parent)
    : window_(title, QString(), parent) {}

void ProgressWatch::begin(const QString& archiveName) {
    window_.offerCancel(true);
    window_.report(QStringLiteral("A(z) %1 kicsomagolása folyamatban…").arg(archiveName), 0, 0);
}

bool ProgressWatch::stopRequested() {
    return window_.cancelRequested();
}

void ProgressWatch::end() {
    window_.offerCancel(false);
    window_.report(QString(), 0, 0);
}

bool visszatoltes(core::AppState& st, QWidget* parent, const std::function<bool()>& szerzadat) {
    ui::QtFolderAsker folders(st.msg, parent);
    db::QtRestoreSourceAsker sources(st.mentkonyvtar, st.msg, parent);
    db::Backup backup({st.msg, st.tables, st.mentkonyvtar, st.tempkonyvtar}, folders, sources);
    ProgressWatch watch(QStringLiteral("Visszatöltés"), parent);
    backup.archiver().setWatch(&watch);
    return core::guarded(st, [&] { return backup.visszatoltes(szerzadat); });
}

} // namespace app
