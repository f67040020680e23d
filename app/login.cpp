#include "app/login.h"

#include "core/appstate.h"
#include "db/layouts.h"
#include "engine/codepage.h"
#include "engine/dberror.h"
#include "engine/table.h"
#include "ui/messages.h"

#include <QDir>
#include <QHash>

namespace app {

namespace {

// Unicode -> cp1250 byte, built once from the decoding table.
const QHash<char16_t, int>& cp1250Codes() {
    static const QHash<char16_t, int> codes = [] {
        QHash<char16_t, int> h;
        for (int b = 1; b < 256; ++b) {
            const char c = char(b);
            const QString s = engine::decode(engine::CodePage::Cp1250, &c, 1);
            if (s.size() == 1 && !h.contains(s.at(0).unicode())) h.insert(s.at(0).unicode(), b);
        }
        return h;
    }();
    return codes;
}

} // namespace

Login::Login(core::AppState& state, bool changeMode) : st_(state), changeMode_(changeMode) {}

std::optional<QString> Login::encode(const QString& text) {
    QString out;
    for (QChar ch : text) {
        const auto it = cp1250Codes().constFind(ch.unicode());
        if (it == cp1250Codes().constEnd()) return std::nullopt;
        out += QString::number((3 * it.value()) / 2);
    }
    return out;
}

bool Login::prepare() {
    engine::Table& sys = st_.tables.sys;
    const QString path = st_.tables.file(QStringLiteral("SYS.DBF"));
    try {
        if (sys.isOpen()) sys.close();
        if (engine::fileExistsNoCase(path)) {
            sys.open(path);
        } else {
            try {
                engine::Table::create(path, db::sysFields());
            } catch (const engine::DbError&) {
                st_.msg.information(QStringLiteral("Hiba a lefutásban"));
                st_.msg.information(QStringLiteral("Hiba a készítésben!!!"));
                return false;
            }
            sys.open(path);
            sys.append();
        }
    } catch (const engine::DbError& e) {
        // Another copy of the program holds the table: the file named as
        // the system writes it (C:\Szakapolas\DATA\SYS.DBF on Windows).
        st_.msg.error(e.file().isEmpty()
                          ? e.text()
                          : QDir::toNativeSeparators(e.file()) + QStringLiteral(": ") + e.detail());
        return false;
    }
    ready_ = true;
    return true;
}

Login::Result Login::cancel() {
    return changeMode_ ? Result::Closed : Result::EndProgram;
}

Login::Result Login::ok(const QString& typed) {
    if (typed.isEmpty()) {
        st_.msg.information(QStringLiteral("Kötelező kitölteni!"));
        return cancel();
    }
    const std::optional<QString> code = encode(typed);
    if (!code) {
        st_.msg.warning(QStringLiteral("A jelszóban csak a magyar billentyűzet betűi, számjegyei "
                                       "és jelei szerepelhetnek!"));
        return Result::StayOpen;
    }
    if (code->size() > maxEncodedLength) {
        st_.msg.warning(QStringLiteral("A jelszó túl hosszú, nem tárolható!\r"
                                       "Adjon meg rövidebb jelszót!"));
        return Result::StayOpen;
    }
    if (!ready_) return cancel();
    engine::Table& sys = st_.tables.sys;
    try {
        const QString stored = sys.value(QStringLiteral("P_W")).toString();
        if (stored.trimmed().isEmpty() || changeMode_) {
            if (sys.state() == engine::Table::State::Browse) {
                if (sys.isEmpty())
                    sys.append();
                else
                    sys.edit();
            }
            sys.setValue(QStringLiteral("P_W"), *code);
            sys.post();
            return Result::Accepted;
        }
        if (*code == stored) return Result::Accepted;
    } catch (const engine::DbError& e) {
        st_.msg.error(e.text());
        return cancel();
    }
    st_.msg.information(QStringLiteral("Érvénytelen jelszó!"));
    return Result::EndProgram;
}

} // namespace app
