#pragma once
// The external archiver (Debian's arj): the backup's archive and the county
// office's full data set.
//
// An archive comes from outside and is not trusted. Before anything is
// unpacked its listing ("arj v") is read (db/arjlisting.h); every entry must
// be a plain file name that the caller expects, each once. It is then
// unpacked without paths ("arj e") into an empty folder of its own, never
// into TEMP itself, and afterwards that folder must hold the listed files
// and nothing else, each a regular file of its listed size.
//
// The archiver runs in a process group of its own and dies with the program
// (it is sent SIGKILL when the program's thread that started it ends, even
// by a kill). Each run has a time limit proportionate to the archive's
// size, and the caller's watch may stop it ("Mégse"); a stopped or
// timed-out archiver is killed with its whole group at once. It inherits no
// file of the program: every file the program opens is close-on-exec.
//
// Where there is no archiver (Windows) the program reads and writes the
// archives itself (db/arjformat.h), with the same checks before and after,
// the same time limit and the same "Mégse": an Archiver without a program.

#include "db/arjformat.h"
#include "db/arjlisting.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

namespace db {

// How an archiver run ended.
enum class ArjOutcome {
    Ok,
    NotStarted, // the archiver is missing or cannot be started
    Failed,     // it ended with an error (a damaged archive, a full disk)
    TimedOut,   // it ran past its time limit and was killed
    Cancelled,  // the user stopped it
    Unreadable, // its listing cannot be read
    BadName,    // an entry is not a plain file name
    Unexpected, // an entry the caller does not expect
    Repeated,   // a name that is in the archive twice
    Extra,      // after unpacking, something that is not a listed file
    // Found by the program's own reader:
    NotArchive,    // no ARJ archive
    Damaged,       // a damaged header, or a member (`entry`) that unpacks wrong
    Truncated,     // the archive ends early
    MultiVolume,   // split over volumes
    Encrypted,     // a member (`entry`) or the archive is garbled
    UnknownMethod, // a member (`entry`) packed with an unknown `method`
    TooMany,       // more members than the program reads
    WriteFailed,   // an unpacked file (`entry`) could not be written
};

struct ArjResult {
    ArjOutcome outcome = ArjOutcome::Ok;
    QString archive; // the archive's file name, for the message
    QString entry;   // the entry or file concerned
    int seconds = 0; // the time limit that ran out
    int method = 0;  // the unknown packing method

    bool ok() const { return outcome == ArjOutcome::Ok; }
    explicit operator bool() const { return ok(); }
    // The message for the user. A missing or failing archiver says
    // "Hiba a kicsomagolásban!"; the others add why and that nothing has
    // changed. A cancelled run is for a warning, the others for an error.
    QString message() const;

private:
    QString readerMessage() const;
};

// What shows an unpacking while it runs and may stop it (the progress
// window with its "Mégse"; tests script it).
class UnpackWatch {
public:
    virtual ~UnpackWatch() = default;
    // The archiver starts on the archive of this file name.
    virtual void begin(const QString& archiveName) = 0;
    // Asked about twenty times a second while the archiver runs (the
    // window processes its events here): true stops it.
    virtual bool stopRequested() = 0;
    // The archiver has ended, whatever way.
    virtual void end() = 0;
};

// A folder of its own under TEMP for one archive: the archive's copy and
// the folder it is unpacked into ("kibontas-XXXXXX"). Removed with
// everything in it when the object goes; what a killed run left goes with
// the start-up's sweep (sweepUnpackFolders).
class UnpackFolder {
public:
    explicit UnpackFolder(const QString& temp);
    bool ok() const { return dir_ && dir_->isValid(); }
    QString path() const { return ok() ? dir_->path() : QString(); }
    QString filePath(const QString& name) const;
    // The folder the archive is unpacked into (made by Archiver::unpack).
    QString unpackDir() const { return filePath(QStringLiteral("ki")); }

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

// Removes the unpack folders a killed run left under `temp`; how many.
int sweepUnpackFolders(const QString& temp);

class Archiver {
public:
    explicit Archiver(QString program = defaultProgram()) : program_(std::move(program)) {}
    const QString& program() const { return program_; }
    // Debian's "arj"; on Windows none: the program's own reader and writer.
    static QString defaultProgram();
    // No program to run: the archives are read and written here.
    bool inProgram() const { return program_.isEmpty(); }

    // "arj a -e -y ARCHIVE FILES...": the files without their paths. True
    // only when the archiver ended with exit code 0 within its time limit.
    bool pack(const QString& archive, const QStringList& files) const;

    // The archive's entries ("arj v"), within the time limit.
    ArjResult list(const QString& archive, std::vector<ArjEntry>* entries) const;

    // Lists `archive`, checks every entry against `expected` (file names,
    // any letter case), unpacks it into `dir` (made here; it must not
    // exist) and checks what appeared there. On any failure `dir` is
    // removed again; the result says why.
    ArjResult unpack(const QString& archive, const QString& dir, const QStringList& expected) const;

    // Told when an unpacking starts and ends, and asked whether to stop.
    void setWatch(UnpackWatch* watch) { watch_ = watch; }

    // The time limit of one run: `base` plus `perMiB` for each started
    // mebibyte of the archive (by default 20 s and 4 s).
    void setTimeLimit(std::chrono::milliseconds base, std::chrono::milliseconds perMiB) {
        limitBase_ = base;
        limitPerMiB_ = perMiB;
    }
    std::chrono::milliseconds timeLimit(qint64 bytes) const;

private:
    ArjOutcome run(const QStringList& arguments, qint64 bytes, QByteArray* output) const;
    // The program's own reading and writing (db/arjinprogram.cpp).
    ArjResult listInProgram(const QString& archive, std::vector<ArjEntry>* entries,
                            std::vector<arjformat::Member>* members) const;
    ArjOutcome unpackInProgram(const QString& archive, const QString& dir,
                               const std::vector<arjformat::Member>& members,
                               QString* entry) const;
    bool packInProgram(const QString& archive, const QStringList& files) const;
    // The stop of a run in the program: asks the watch (or lets the windows
    // repaint) about twenty times a second and keeps the time limit.
    struct Pace;

    QString program_;
    UnpackWatch* watch_ = nullptr;
    mutable bool watching_ = false; // an unpacking runs: the watch is asked
    std::chrono::milliseconds limitBase_{20000};
    std::chrono::milliseconds limitPerMiB_{4000};
};

} // namespace db
