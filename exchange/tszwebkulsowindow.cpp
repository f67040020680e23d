#include "exchange/tszwebkulsowindow.h"

#include "exchange/masolas.h"
#include "ui/messages.h"
#include "ui/screenfit.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace exch {

TszwebKulsoWindow::TszwebKulsoWindow(ui::Messages& msg, const QUrl& portal,
                                     const QString& kuldDir, const QString& akadaly,
                                     QWidget* parent, Megnyito nyit)
    : QDialog(parent), msg_(msg), portal_(portal), kuldDir_(kuldDir), akadaly_(akadaly),
      nyit_(nyit ? std::move(nyit) : Megnyito([](const QUrl& u) {
          return QDesktopServices::openUrl(u);
      })) {
    setObjectName(QStringLiteral("Tszweb"));
    setWindowTitle(QStringLiteral("E-Jelentés küldése ULV honlapjára"));
    setModal(true);

    L1 = new QLabel(this);
    L1->setObjectName(QStringLiteral("L1"));
    L1->setWordWrap(true);
    L1->setTextFormat(Qt::PlainText);
    L1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    L2 = new QLabel(this);
    L2->setObjectName(QStringLiteral("L2"));
    L2->setTextFormat(Qt::PlainText);
    L2->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    honlap = new QPushButton(QStringLiteral("&Honlap megnyitása"), this);
    honlap->setObjectName(QStringLiteral("honlap"));
    mappa = new QPushButton(QStringLiteral("&KULD mappa megnyitása"), this);
    mappa->setObjectName(QStringLiteral("mappa"));
    bezaras = new QPushButton(QStringLiteral("&Bezárás"), this);
    bezaras->setObjectName(QStringLiteral("bezaras"));
    bezaras->setDefault(true);
    connect(honlap, &QPushButton::clicked, this, &TszwebKulsoWindow::honlapClick);
    connect(mappa, &QPushButton::clicked, this, &TszwebKulsoWindow::mappaClick);
    connect(bezaras, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(honlap);
    buttons->addWidget(mappa);
    buttons->addStretch(1);
    buttons->addWidget(bezaras);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(L1);
    outer->addSpacing(8);
    outer->addWidget(
        new QLabel(QStringLiteral("Töltse fel a honlapon a KULD mappa három állományát:"), this));
    outer->addWidget(L2);
    outer->addStretch(1);
    outer->addLayout(buttons);

    L1->setText(akadaly_ + QStringLiteral(" Az e-jelentés honlapja a gép alapértelmezett "
                                          "böngészőjében nyílik meg:\n") +
                portal_.toString());
    L2->setText(kuldSzoveg(kuldDir_).trimmed());
    L1->setAccessibleName(L1->text());
    L2->setAccessibleName(L2->text());
    L1->setMinimumWidth(520);
    ui::centerWindow(this, parent, sizeHint());
}

QString TszwebKulsoWindow::text() const {
    return L1->text() + QLatin1Char('\n') + L2->text();
}

void TszwebKulsoWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (mode_ == QLatin1String("E") && !opened_) {
        opened_ = true;
        honlapClick();
    }
}

void TszwebKulsoWindow::honlapClick() {
    if (nyit_(portal_)) return;
    L1->setText(akadaly_ +
                QStringLiteral(" Az alapértelmezett böngésző nem indult el: nyissa meg a "
                               "honlapot egy böngészőben ezen a címen:\n") +
                portal_.toString());
    L1->setAccessibleName(L1->text());
}

void TszwebKulsoWindow::mappaClick() {
    if (nyit_(QUrl::fromLocalFile(kuldDir_))) return;
    msg_.warning(QStringLiteral("A KULD mappát nem sikerült megnyitni. Az állományok ebben a "
                                "mappában vannak:\r") +
                 Masolas::mappaNev(kuldDir_));
}

void ejelentes(QWidget* parent, ui::Messages& msg, const QUrl& portal, const QString& kuldDir,
               const BongeszoKornyezet& k, const std::function<void(QWidget*)>& beagyazott,
               Megnyito nyit) {
    BongeszoKornyezet env = k;
    env.beepitve = env.beepitve && bool(beagyazott);
    const QString akadaly = bongeszoAkadaly(env);
    if (akadaly.isEmpty()) {
        beagyazott(parent);
        return;
    }
    TszwebKulsoWindow w(msg, portal, kuldDir, akadaly, parent, std::move(nyit));
    w.exec();
}

} // namespace exch
