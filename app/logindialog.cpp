#include "app/logindialog.h"

#include "ui/hints.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

LoginDialog::LoginDialog(core::AppState& state, bool changeMode, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      login_(state, changeMode) {
    setObjectName(QStringLiteral("TPasswordDlg"));
    setWindowTitle(QStringLiteral("Bejelentkezési ablak"));
    ui::setHint(this, QStringLiteral("A jelszó megadása kötelező"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Kérem a jelszót"), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    Label1->setBuddy(Password);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    ui::setHint(OKBtn, QStringLiteral("Elmentés"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Mégsem"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    ui::setHint(CancelBtn, QStringLiteral("Mentés nélkül kilépés"));
    CancelBtn->setAutoDefault(false);

    connect(OKBtn, &QPushButton::clicked, this, &LoginDialog::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &LoginDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(Label1);
    outer->addWidget(Password);
    outer->addSpacing(8);
    outer->addLayout(buttons);
    setMinimumWidth(320);
    setFixedHeight(sizeHint().height());

    if (changeMode) {
        setWindowTitle(QStringLiteral("Jelszó módosítása"));
        Label1->setText(QStringLiteral("Kérem a jelszó módosítását"));
    }

    login_.prepare();
    Password->clear();
    Password->setFocus();
}

void LoginDialog::OKBtnClick() {
    apply(login_.ok(Password->text()));
}

void LoginDialog::reject() {
    apply(login_.cancel());
}

void LoginDialog::apply(Login::Result result) {
    switch (result) {
    case Login::Result::Accepted:
        done(Accepted);
        break;
    case Login::Result::Closed:
        done(Rejected);
        break;
    case Login::Result::StayOpen:
        Password->setFocus();
        Password->selectAll();
        break;
    case Login::Result::EndProgram:
        end_ = true;
        done(Rejected);
        break;
    }
}

} // namespace app
