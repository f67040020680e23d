#include "app/aboutdialog.h"

#include "app/programicon.h"
#include "app/programinfo.h"
#include "ui/hints.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("Névjegy"));
    ui::setHint(this, QStringLiteral("Verzió megmutatása"));
    setModal(true);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);

    ProgramIcon = new QLabel(panel);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(programPixmap(64));
    ProgramIcon->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    ProductName = new QLabel(programTitle(), panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont big = ProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    ProductName->setFont(big);

    Version = new QLabel(programVersion(), panel);
    Version->setObjectName(QStringLiteral("Version"));
    auto* versionCaption = new QLabel(QStringLiteral("Verzió:"), panel);
    versionCaption->setBuddy(Version);

    Copyright = new QLabel(QStringLiteral("Készítette: Fehérvári Ügyviteli Szoftver Bt."), panel);
    Copyright->setObjectName(QStringLiteral("Copyright"));
    Comments = new QLabel(QStringLiteral("8000 Székesfehérvár, Várkörút 14."), panel);
    Comments->setObjectName(QStringLiteral("Comments"));

    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(versionCaption);
    versionRow->addWidget(Version);
    versionRow->addStretch(1);

    auto* texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addLayout(versionRow);
    texts->addSpacing(12);
    texts->addWidget(Copyright);
    texts->addWidget(Comments);
    texts->addStretch(1);

    auto* inPanel = new QHBoxLayout(panel);
    inPanel->addWidget(ProgramIcon);
    inPanel->addSpacing(12);
    inPanel->addLayout(texts, 1);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(panel, 1);
    outer->addLayout(buttons);

    setFixedSize(sizeHint().expandedTo(QSize(360, 200)));
}

void AboutDialog::setVersion(const QString& version) {
    Version->setText(version);
}

} // namespace app
