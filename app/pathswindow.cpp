#include "app/pathswindow.h"

#include "app/programinfo.h"
#include "core/kozos.h"

#include <QGridLayout>
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

    grid_ = new QGridLayout;
    grid_->setHorizontalSpacing(16);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid_, 1);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void PathsWindow::setRows(const std::vector<PathRow>& rows) {
    for (QLabel* l : labels_)
        delete l;
    for (QLabel* l : values_)
        delete l;
    labels_.clear();
    values_.clear();
    rows_ = rows;
    for (int i = 0; i < int(rows.size()); ++i) {
        const PathRow& r = rows[size_t(i)];
        if (r.label.isEmpty()) {
            grid_->setRowMinimumHeight(i, fontMetrics().height());
            labels_.push_back(nullptr);
            values_.push_back(nullptr);
            continue;
        }
        auto* label = new QLabel(r.label, this);
        label->setObjectName(QStringLiteral("cimke%1").arg(i));
        auto* value = new QLabel(r.value, this);
        value->setObjectName(QStringLiteral("ertek%1").arg(i));
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setAccessibleName(r.label);
        label->setBuddy(value);
        grid_->addWidget(label, i, 0, Qt::AlignLeft | Qt::AlignTop);
        grid_->addWidget(value, i, 1, Qt::AlignLeft | Qt::AlignTop);
        labels_.push_back(label);
        values_.push_back(value);
    }
}

QString PathsWindow::text() const {
    QStringList lines;
    for (const PathRow& r : rows_)
        lines << (r.label.isEmpty() ? QString()
                                    : kozos::jobbtolt(r.label + QLatin1Char(' '), 30, QString()) +
                                          r.value);
    return lines.join(QLatin1Char('\n'));
}

QLabel* PathsWindow::labelAt(int i) const {
    return i >= 0 && i < int(labels_.size()) ? labels_[size_t(i)] : nullptr;
}

QLabel* PathsWindow::valueAt(int i) const {
    return i >= 0 && i < int(values_.size()) ? values_[size_t(i)] : nullptr;
}

} // namespace app
