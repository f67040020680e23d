// The field binder on a small form (offscreen): a refused field holds the
// focus, a step sends the focus to a field on another tab page, a message box
// during a step and a visit to another window leave no field, and an exempt
// button is reached without a check.

#include "ui/fieldbinder.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

class FieldBinderTest : public QObject {
    Q_OBJECT

    static bool showAndActivate(QWidget& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        return QTest::qWaitForWindowActive(&w);
    }

private slots:
    void focusFollowsTheSteps() {
        QWidget form;
        auto* tabs = new QTabWidget(&form);
        auto* p1 = new QWidget;
        auto* p2 = new QWidget;
        auto* a = new QLineEdit(p1);
        auto* b = new QLineEdit(p1);
        auto* c = new QLineEdit(p2);
        auto* megse = new QPushButton(QStringLiteral("Mégse"), &form);
        auto* l1 = new QVBoxLayout(p1);
        l1->addWidget(a);
        l1->addWidget(b);
        (new QVBoxLayout(p2))->addWidget(c);
        tabs->addTab(p1, QStringLiteral("1"));
        tabs->addTab(p2, QStringLiteral("2"));
        auto* l = new QVBoxLayout(&form);
        l->addWidget(tabs);
        l->addWidget(megse);

        ui::FieldBinder fields(&form);
        fields.bind(a, QStringLiteral("a"));
        fields.bind(b, QStringLiteral("b"));
        fields.bind(c, QStringLiteral("c"));
        fields.exempt(megse);
        int aChecks = 0, cEntered = 0;
        bool box = false;
        fields.onExit(QStringLiteral("a"), [&]() -> ui::FieldExit {
            ++aChecks;
            if (box) {
                // A real message box inside the step: its focus comes and
                // goes without leaving anything.
                QTimer::singleShot(50, [] {
                    if (QWidget* m = QApplication::activeModalWidget()) m->close();
                });
                QMessageBox::warning(&form, QStringLiteral("x"), QStringLiteral("y"));
            }
            if (a->text() == QLatin1String("x")) return {false, QStringLiteral("a")};
            return {};
        });
        fields.onExit(QStringLiteral("b"), [&]() -> ui::FieldExit {
            return {true, QStringLiteral("c")};
        });
        fields.onEnter(QStringLiteral("c"), [&] { ++cEntered; });
        QVERIFY(showAndActivate(form));
        QVERIFY(fields.focusField(QStringLiteral("a")));
        QCOMPARE(fields.current(), QStringLiteral("a"));

        // Refused: back into a, its text selected.
        QTest::keyClicks(a, "x");
        QTest::keyClick(a, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), a);
        QCOMPARE(aChecks, 1);
        QCOMPARE(a->selectedText(), QStringLiteral("x"));

        // A message box inside the step, then the focus goes on.
        box = true;
        a->setText(QStringLiteral("ok"));
        QTest::keyClick(a, Qt::Key_Tab);
        QVERIFY(showAndActivate(form)); // the offscreen platform does not do it
        QTRY_COMPARE(QApplication::focusWidget(), b);
        QCOMPARE(aChecks, 2);
        box = false;

        // b sends the focus to c on the second page; a steered move enters
        // nothing.
        QTest::keyClick(b, Qt::Key_Tab);
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), c);
        QCOMPARE(fields.current(), QStringLiteral("c"));
        QCOMPARE(cEntered, 0);

        // Another window takes the focus for a while: nothing is left.
        QVERIFY(fields.focusField(QStringLiteral("a")));
        QWidget other;
        QVERIFY(showAndActivate(other));
        QVERIFY(showAndActivate(form));
        QCOMPARE(aChecks, 2);

        // "Mégse" is reached without the check.
        a->setText(QStringLiteral("x"));
        megse->setFocus(Qt::TabFocusReason);
        QCOMPARE(aChecks, 2);
        QVERIFY(fields.current().isEmpty());

        // leaveCurrent runs the step of the field holding the focus.
        QVERIFY(fields.focusField(QStringLiteral("a")));
        QVERIFY(!fields.leaveCurrent());
        QCOMPARE(aChecks, 3);
        a->setText(QStringLiteral("ok"));
        QVERIFY(fields.leaveCurrent());

        // Coming into c from a control of the window enters it.
        megse->setFocus(Qt::TabFocusReason);
        tabs->setCurrentIndex(1);
        c->setFocus(Qt::MouseFocusReason);
        QCOMPARE(cEntered, 1);
    }
};

QTEST_MAIN(FieldBinderTest)
#include "fieldbinder_test.moc"
