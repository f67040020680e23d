// dbfdump: prints a dBase table's header or its records as CSV. A support
// tool: it reads the program's own tables and foreign ones that keep the
// dBase III layout, and refuses damaged files with a clear message.

#include "engine/dberror.h"
#include "engine/dbfheader.h"
#include "engine/sysfile.h"
#include "tools/dbfdump_lib.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

enum ExitCode { Ok = 0, BadFile = 1, BadUsage = 2 };

// A failure that ends the run: the message (without the "dbfdump: " prefix).
struct Failure {
    QString message;
};

void writeOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void writeErr(const QString& text) {
    const QByteArray b = (QStringLiteral("dbfdump: ") + text + u'\n').toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
}

// The .cpg beside the table: the table's name with its extension replaced,
// in whatever letter case it was written. An exact ".cpg" or ".CPG" is
// preferred when several spellings are present.
QString findCpg(const QFileInfo& table) {
    const QString base = table.completeBaseName();
    const QDir dir = table.absoluteDir();
    const QStringList preferred = {base + QStringLiteral(".cpg"), base + QStringLiteral(".CPG")};
    // The folder's own spelling (Windows would find a file by any case).
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : preferred)
        if (entries.contains(name)) return dir.filePath(name);
    for (const QString& name : entries)
        if (name.compare(base + QStringLiteral(".cpg"), Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    return QString();
}

std::optional<QString> readCpg(const QString& cpgPath) {
    if (cpgPath.isEmpty()) return std::nullopt;
    QFile f(cpgPath);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    // A .cpg holds one short name; anything longer is not one.
    return QString::fromUtf8(f.read(256));
}

void openTable(QFile& file, const QString& path) {
    const QFileInfo fi(path);
    if (!fi.exists()) throw Failure{path + QStringLiteral(": az állomány nem létezik")};
    if (!fi.isFile()) throw Failure{path + QStringLiteral(": nem közönséges állomány")};
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure{path + QStringLiteral(": az állomány nem nyitható meg olvasásra")};
}

// Reads the whole header (as long as bytes 8-9 say, at least 32 bytes) and
// checks it against the file's size.
engine::DbfHeader readHeader(QFile& file, const QString& path) {
    QByteArray bytes = file.read(32);
    if (bytes.size() == 32) {
        const auto* u = reinterpret_cast<const unsigned char*>(bytes.constData());
        const int headerLength = u[8] | u[9] << 8;
        if (headerLength > 32) bytes += file.read(headerLength - 32);
    }
    return engine::parseDbfHeader(bytes, file.size(), path, engine::HeaderMode::Lenient);
}

dbfdump::CodePageChoice codePageFor(const QString& path, const engine::DbfHeader& header,
                                    QString* cpgName) {
    const QString cpgPath = findCpg(QFileInfo(path));
    *cpgName = QFileInfo(cpgPath).fileName();
    const dbfdump::CodePageChoice choice =
        dbfdump::chooseCodePage(header.languageDriver, readCpg(cpgPath), *cpgName);
    if (!choice.warning.isEmpty()) writeErr(path + QStringLiteral(": ") + choice.warning);
    return choice;
}

// Records are taken by the header's count and length, a batch at a time; a
// 0x1A inside the data is data.
void writeRecords(QFile& file, const QString& path, const engine::DbfHeader& header,
                  engine::CodePage cp) {
    writeOut(dbfdump::csvHeader(header, cp));
    if (!file.seek(header.headerLength))
        throw Failure{path + QStringLiteral(": az állomány nem olvasható")};
    const qint64 recordLength = header.recordLength;
    const qint64 perBatch = std::max<qint64>(1, (1 << 20) / recordLength);
    qint64 left = header.recordCount;
    while (left > 0) {
        const qint64 n = std::min(left, perBatch);
        const QByteArray batch = file.read(n * recordLength);
        if (batch.size() != n * recordLength)
            throw Failure{path +
                          QStringLiteral(": sérült dBase állomány: az utolsó rekord csonka")};
        QByteArray out;
        for (qint64 i = 0; i < n; ++i)
            out += dbfdump::csvRecord(header, batch.constData() + i * recordLength, cp);
        writeOut(out);
        left -= n;
    }
}

int dump(const QString& path, bool csv) {
    QFile file;
    openTable(file, path);
    const engine::DbfHeader header = readHeader(file, path);
    QString cpgName;
    const dbfdump::CodePageChoice choice = codePageFor(path, header, &cpgName);
    if (csv)
        writeRecords(file, path, header, choice.codePage);
    else
        writeOut(dbfdump::headerReport(path, header, choice, cpgName).toUtf8());
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        throw Failure{QStringLiteral("a kimenet nem írható")};
    return Ok;
}

int usageError(const QString& why) {
    writeErr(why);
    const QByteArray hint = QStringLiteral("Használat: dbfdump [--csv] ÁLLOMÁNY (bővebben: "
                                           "dbfdump --help)\n")
                                .toUtf8();
    std::fwrite(hint.constData(), 1, size_t(hint.size()), stderr);
    return BadUsage;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    engine::sys::binaryStream(stdout);
    QStringList args = app.arguments();
    args.removeFirst();

    bool csv = false;
    bool optionsDone = false;
    QStringList files;
    for (const QString& a : args) {
        if (!optionsDone && (a == u"--help" || a == u"-h")) {
            writeOut(dbfdump::usage().toUtf8());
            return Ok;
        }
        if (!optionsDone && a == u"--csv")
            csv = true;
        else if (!optionsDone && a == u"--")
            optionsDone = true;
        else if (!optionsDone && a.startsWith(u'-') && a.size() > 1)
            return usageError(QStringLiteral("ismeretlen kapcsoló: %1").arg(a));
        else
            files << a;
    }
    if (files.size() != 1)
        return usageError(files.isEmpty() ? QStringLiteral("nincs megadva állomány")
                                          : QStringLiteral("csak egy állomány adható meg"));

    try {
        return dump(files.front(), csv);
    } catch (const engine::DbError& e) {
        // The file as it was typed on the command line.
        writeErr(e.file().isEmpty() ? e.detail() : e.file() + QStringLiteral(": ") + e.detail());
    } catch (const Failure& f) {
        writeErr(f.message);
    }
    return BadFile;
}
