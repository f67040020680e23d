#include "app/pathswindow.h"

#include "app/programinfo.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

PathsWindow::PathsWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Tutkep"));
    setWindowTitle(programTitle() + QStringLiteral(" elérhetőségei"));
    setModal(true);

    L1 = new QLabel(this);
    L1->setObjectName(QStringLiteral("L1"));
    // The labels are padded with blanks, so the paths line up only in a
    // fixed-pitch font.
    L1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    L1->setTextFormat(Qt::PlainText);
    L1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    L1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(L1, 1);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void PathsWindow::setText(const QString& text) {
    // The last line's break would only leave an empty line at the bottom.
    L1->setText(text.endsWith(QLatin1Char('\n')) ? text.chopped(1) : text);
}

QString PathsWindow::text() const {
    return L1->text();
}

} // namespace app
