#include "app/backupcommands.h"

#include "core/appstate.h"
#include "db/backup.h"
#include "db/restoresourcedialog.h"
#include "engine/dberror.h"
#include "ui/folderbrowserdialog.h"
#include "ui/messages.h"

#include <exception>

namespace app {

namespace {

// Runs a command; an error that escapes it goes to the error box. False
// when the command itself said the program must end.
template <typename Command> bool guarded(core::AppState& st, Command&& command) {
    try {
        return command();
    } catch (const engine::DbError& e) {
        st.msg.error(e.text());
    } catch (const std::exception& e) {
        st.msg.error(QString::fromLocal8Bit(e.what()));
    }
    return true;
}

} // namespace

void mentes(core::AppState& st, QWidget* parent) {
    ui::QtFolderAsker folders(st.msg, parent);
    db::QtRestoreSourceAsker sources(st.mentkonyvtar, st.msg, parent);
    db::Backup backup({st.msg, st.tables, st.mentkonyvtar, st.tempkonyvtar}, folders, sources);
    guarded(st, [&] {
        backup.mentes();
        return true;
    });
}

bool visszatoltes(core::AppState& st, QWidget* parent, const std::function<bool()>& szerzadat) {
    ui::QtFolderAsker folders(st.msg, parent);
    db::QtRestoreSourceAsker sources(st.mentkonyvtar, st.msg, parent);
    db::Backup backup({st.msg, st.tables, st.mentkonyvtar, st.tempkonyvtar}, folders, sources);
    return guarded(st, [&] { return backup.visszatoltes(szerzadat); });
}

} // namespace app
