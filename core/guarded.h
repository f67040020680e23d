#pragma once
// Runs a menu command; an error that escapes it goes to the error box, so a
// command never ends the program by an exception.

#include "core/appstate.h"
#include "engine/dberror.h"
#include "ui/messages.h"

#include <exception>

namespace core {

// The command's own answer, or true when it failed: false only when the
// command itself said the program must end.
template <typename Command> bool guarded(AppState& st, Command&& command) {
    try {
        return command();
    } catch (const engine::DbError& e) {
        st.msg.error(e.text());
    } catch (const std::exception& e) {
        st.msg.error(QString::fromLocal8Bit(e.what()));
    }
    return true;
}

} // namespace core
