#pragma once
// The login: one password for every user of the program, kept encoded in the
// one-record table SYS. On the very first start the text typed becomes the
// password; from the menu the same dialog replaces it.

#include <QString>
#include <optional>

namespace core {}

namespace core {
struct AppState;
}

namespace app {

class Login {
public:
    enum class Result {
        Accepted,  // the dialog closes; start-up goes on
        StayOpen,  // the text was refused; the dialog stays open
        Closed,    // the dialog closes without a change (password change cancelled)
        EndProgram // the program ends at once
    };

    // `changeMode`: opened from the menu to replace the password.
    Login(core::AppState& state, bool changeMode);

    // Opens SYS, or creates it on the first start. False when it could not
    // be created (the messages are shown; the dialog has nothing to check).
    bool prepare();

    Result ok(const QString& typed);
    Result cancel();

    bool changeMode() const { return changeMode_; }

    // Each character's code in the Windows Hungarian code page (cp1250),
    // times three, halved and rounded down, as decimal digits joined
    // ("abc" -> "145147148"). nullopt for a character cp1250 cannot hold.
    static std::optional<QString> encode(const QString& text);
    // The width of SYS.P_W: a longer encoding could never match again.
    static constexpr int maxEncodedLength = 40;

private:
    core::AppState& st_;
    bool changeMode_;
    bool ready_ = false;
};

} // namespace app
