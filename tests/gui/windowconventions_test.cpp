// The conventions every window shares (offscreen): Enter presses the focused
// button, Shift+F10 opens a grid's context menu, the keyboard goes back to
// the modal window still open when a window over it closes, and a window is
// fitted with its frame to the small screens.

#include "ui/screenfit.h"
#include "ui/windowconventions.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <QtTest>

class WindowConventionsTest : public QObject {
    Q_OBJECT

    ui::WindowConventions conventions;

private slots:
    // The window tests run on the offscreen platform, under Wine too (where
    // the platform is handed over as WINEQT_QPA_PLATFORM): on the system's
    // own they would wait for windows that never show.
    void theWindowsAreOffscreen() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    }

    void enterPressesTheFocusedButton() {
        QDialog d;
        auto* a = new QPushButton(QStringLiteral("Első"), &d);
        auto* b = new QPushButton(QStringLiteral("Második"), &d);
        a->setAutoDefault(false);
        b->setAutoDefault(false);
        auto* l = new QVBoxLayout(&d);
        l->addWidget(a);
        l->addWidget(b);
        int clicked = 0;
        connect(b, &QPushButton::clicked, [&] { ++clicked; });
        connect(a, &QPushButton::clicked, [&] { clicked += 100; });
        d.show();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        b->setFocus();
        QTest::keyClick(b, Qt::Key_Return);
        QTRY_COMPARE(clicked, 1);
        QTest::keyClick(b, Qt::Key_Enter, Qt::KeypadModifier);
        QTRY_COMPARE(clicked, 2);
    }

    void shiftF10OpensTheGridsMenu() {
        QDialog d;
        auto* grid = new QTableView(&d);
        QStandardItemModel model(3, 2);
        grid->setModel(&model);
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        (new QVBoxLayout(&d))->addWidget(grid);
        int asked = 0;
        connect(grid, &QWidget::customContextMenuRequested, [&](const QPoint&) { ++asked; });
        d.show();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        grid->setFocus();
        grid->setCurrentIndex(model.index(1, 0));
        QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(asked, 1);
        QTest::keyClick(grid, Qt::Key_F10); // F10 alone is no menu key
        QCOMPARE(asked, 1);
    }

    // The entry window stands over the main window, though the register
    // opened it: when it closes, the register (modal, still open) takes the
    // keyboard back, with the control that had the focus.
    void theKeyboardGoesBackToTheModalWindow() {
        QWidget main;
        main.show();
        QDialog reg(&main);
        auto* grid = new QLineEdit(&reg);
        (new QVBoxLayout(&reg))->addWidget(grid);
        reg.setWindowModality(Qt::ApplicationModal);
        reg.show();
        QApplication::setActiveWindow(&reg);
        QVERIFY(QTest::qWaitForWindowActive(&reg));
        grid->setFocus();

        QDialog entry(&main);
        entry.setWindowModality(Qt::ApplicationModal);
        entry.show();
        QApplication::setActiveWindow(&entry);
        QVERIFY(QTest::qWaitForWindowActive(&entry));
        // The window system hands the activation to the closed window's
        // parent, which the register blocks.
        entry.hide();
        QApplication::setActiveWindow(&main);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&reg));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));
    }

    // The frame counts: a window as tall as the screen's free area keeps its
    // title bar and bottom border on a 1366x768 and a 1280x800 screen.
    void theFrameFitsTheSmallScreens() {
        const QMargins frame(8, 31, 8, 8);
        for (const QRect area : {QRect(0, 0, 1366, 728), QRect(0, 0, 1280, 760)}) {
            const QRect client(100, 50, 1300, area.height());
            const QRect g = ui::fittedGeometry(client, frame, QSize(200, 100), area);
            const QRect f = g.marginsAdded(frame);
            QVERIFY2(area.contains(f), qPrintable(QStringLiteral("%1x%2 at %3,%4")
                                                      .arg(f.width())
                                                      .arg(f.height())
                                                      .arg(f.left())
                                                      .arg(f.top())));
            QCOMPARE(f.height(), area.height());
            QCOMPARE(g.width(), std::min(1300, area.width() - 16));
        }
        // A window that fits stays where it is.
        const QRect small(40, 60, 400, 300);
        QCOMPARE(ui::fittedGeometry(small, frame, {}, QRect(0, 0, 1366, 728)), small);
        // Not yet on the screen, a window's frame is not known: the style's
        // title bar stands in for it.
        QDialog d;
        d.resize(600, 2000);
        ui::fitOnScreen(&d);
        const QRect avail = d.screen()->availableGeometry();
        QVERIFY(d.height() <= avail.height() - 24);
    }
};

QTEST_MAIN(WindowConventionsTest)
#include "windowconventions_test.moc"
