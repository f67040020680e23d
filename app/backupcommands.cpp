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

bool visszatoltes(core::AppState& st, QWidget* parent, const std::function<bool()>& szerzadat) {
    ui::QtFolderAsker folders(st.msg, parent);
    db::QtRestoreSourceAsker sources(st.mentkonyvtar, st.msg, parent);
    db::Backup backup({st.msg, st.tables, st.mentkonyvtar, st.tempkonyvtar}, folders, sources);
    return core::guarded(st, [&] { return backup.visszatoltes(szerzadat); });
}

} // namespace app
