#pragma once
// Kill trials in one form on Linux and Windows: the test program runs itself
// again as the child, only the test that starts it, with a role and
// arguments in its environment. The test's body begins by asking childRole():
// in the child it does the child's work and ends through childExit() or dies
// at a kill point (engine::sys::killSelf()); in the test it starts Child
// objects, ends them with kill() and reads how they ended with wait().
//
//     if (testsupport::childRole() == "ment") { ...; testsupport::childExit(0); }
//     testsupport::Child c("ment", {dir.path()});
//     ASSERT_TRUE(c.waitTold(1));
//     c.kill();
//     EXPECT_TRUE(c.wait().killed);
//
// What the child has to tell the test (that it is ready, how many saves it
// finished) goes through tell(): bytes appended to a file that outlives it.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

// The role this process plays when a test started it as its child; empty in
// the test itself.
QString childRole();
// The arguments the test gave its child.
QStringList childArgs();
// In the child: tells the test `bytes` (kept when the child dies next).
void tell(const QByteArray& bytes);
// In the child: ends it at once with `code`, running nothing of the test
// program's own ending.
[[noreturn]] void childExit(int code);

class Child {
public:
    // Starts the child `role` of the running test.
    explicit Child(const QString& role, const QStringList& args = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return started_; }
    // Waits until the child has told `n` bytes in all; false after `ms` or
    // when it ended before.
    bool waitTold(qsizetype n, int ms = 60000);
    // What the child has told so far.
    QByteArray told() const;
    // Ends the child at once (engine::sys::killProcess).
    void kill();

    struct End {
        bool killed = false; // ended by a kill (its own kill point or kill())
        int code = -1;       // the exit code otherwise
    };
    // Waits for the child to end.
    End wait(int ms = 300000);

private:
    QTemporaryDir temp_; // the child's temporary folder, removed with what it leaves
    QProcess p_;
    QString channel_;
    bool started_ = false;
};

} // namespace testsupport
