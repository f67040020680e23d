#pragma once
// TPasswordDlg (unit Password): the login dialog, which asks for the program's password at start-up
// and, from "&Szervíz" -> "&Jelszó módosítás", for the new password. A view
// over app::Login, which decides what each button does.

#include "app/login.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace core {}

namespace core {
struct AppState;
}

namespace app {

class LoginDialog : public QDialog {
    Q_OBJECT
public:
    // Opens (or on the first start creates) the password table at once.
    // `changeMode`: opened from the menu to replace the password.
    LoginDialog(core::AppState& state, bool changeMode, QWidget* parent = nullptr);

    // The program must end now (wrong password, or cancelled at start-up).
    bool endProgram() const { return end_; }

protected:
    // "Mégsem", Esc and the close box.
    void reject() override;

private slots:
    void OKBtnClick();

private:
    void apply(Login::Result result);

    Login login_;
    bool end_ = false;
    QLabel* Label1;
    QLineEdit* Password;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

} // namespace app
