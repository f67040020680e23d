#pragma once
// Errors of the table engine. Every failure names the file it concerns; the
// message is Hungarian because it reaches the user's error box unchanged.

#include <QDir>
#include <QString>
#include <stdexcept>

namespace engine {

class DbError : public std::runtime_error {
public:
    enum class Kind {
        Io,       // the file system refused (missing file, permission, disk full)
        Damaged,  // the file is not a usable dBase III table
        Locked,   // another table object or program holds the file
        Encoding, // a text that code page 852 cannot hold
        Value,    // a value that does not fit its field, a wrong type
        Usage,    // an unknown field, no current record, a wrong state
        Query,    // SQL that cannot run
        KeyViolation
    };

    DbError(Kind kind, const QString& file, const QString& message, int sysError = 0)
        : std::runtime_error(
              (file.isEmpty() ? message : QDir::toNativeSeparators(file) + ": " + message)
                  .toStdString()),
          kind_(kind), file_(file), message_(message), sysError_(sysError) {}

    Kind kind() const { return kind_; }
    const QString& file() const { return file_; }
    // The message without the file name.
    const QString& detail() const { return message_; }
    // The message as shown to the user: the file name as the system writes
    // it (backslashes on Windows) and what went wrong. file() keeps the name
    // as the program gave it.
    QString text() const { return QString::fromStdString(what()); }
    // The old engine's error code for a key violation on posting.
    int code() const { return kind_ == Kind::KeyViolation ? 9729 : 0; }
    // The operating system's error number behind an Io error (errno), 0
    // when there is none; engine::systemReason() says it in Hungarian.
    int sysError() const { return sysError_; }

private:
    Kind kind_;
    QString file_;
    QString message_;
    int sysError_ = 0;
};

} // namespace engine
