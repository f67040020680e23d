#include "support/childrun.h"

#include "engine/sysfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QThread>
#include <cstdlib>
#include <gtest/gtest.h>

namespace testsupport {

namespace {
const char kRole[] = "SZ_TEST_CHILD_ROLE";
const char kArgs[] = "SZ_TEST_CHILD_ARGS";
const char kChannel[] = "SZ_TEST_CHILD_CHANNEL";
// Arguments travel in one environment variable, separated by a character no
// path or number holds.
const QChar kSeparator = QChar(0x1F);

QString runningTest() {
    const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
    return t ? QString::fromUtf8(t->test_suite_name()) + "." + QString::fromUtf8(t->name())
             : QString();
}
} // namespace

QString childRole() {
    return qEnvironmentVariable(kRole);
}

QStringList childArgs() {
    const QString a = qEnvironmentVariable(kArgs);
    return a.isEmpty() ? QStringList() : a.split(kSeparator);
}

void tell(const QByteArray& bytes) {
    QFile f(qEnvironmentVariable(kChannel));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append) || f.write(bytes) != bytes.size())
        childExit(4);
}

void childExit(int code) {
    std::_Exit(code);
}

Child::Child(const QString& role, const QStringList& args) {
    channel_ = temp_.filePath("told");
    QFile(channel_).open(QIODevice::WriteOnly);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // What the child makes in its temporary folder (its fixture's folders
    // too) goes with this object, also when the child is killed.
    const QString temp = QDir::toNativeSeparators(temp_.path());
    for (const char* name : {"TMPDIR", "TMP", "TEMP"})
        env.insert(name, temp);
    env.insert(kRole, role);
    env.insert(kArgs, args.join(kSeparator));
    env.insert(kChannel, channel_);
    p_.setProcessEnvironment(env);
    // The child's own test report would only repeat the test's; its errors
    // are shown.
    p_.setStandardOutputFile(QProcess::nullDevice());
    p_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p_.start(engine::sys::programPath(), {"--gtest_filter=" + runningTest()});
    started_ = p_.waitForStarted(60000);
}

Child::~Child() {
    if (p_.state() != QProcess::NotRunning) {
        kill();
        p_.waitForFinished(30000);
    }
}

bool Child::waitTold(qsizetype n, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!clock.hasExpired(ms)) {
        if (QFileInfo(channel_).size() >= n) return true;
        if (p_.state() == QProcess::NotRunning) return QFileInfo(channel_).size() >= n;
        QThread::msleep(1);
    }
    return false;
}

QByteArray Child::told() const {
    QFile f(channel_);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Child::kill() {
    engine::sys::killProcess(p_.processId());
}

Child::End Child::wait(int ms) {
    End e;
    if (!started_ || !p_.waitForFinished(ms)) return e;
    e.killed = engine::sys::endedByKill(p_.exitStatus() == QProcess::CrashExit, p_.exitCode());
    e.code = p_.exitCode();
    return e;
}

} // namespace testsupport
