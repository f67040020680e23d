#include "engine/fileswap.h"

#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/sysfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace engine {

namespace {

constexpr quint32 kSwapTag = 0x50415753; // "SWAP"

QString in(const QString& dir, const QString& name) {
    return QDir(dir).filePath(name);
}

bool exists(const QString& dir, const QString& name) {
    return QFileInfo::exists(QDir(dir).filePath(name));
}

void put32(QByteArray& b, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

void putStr(QByteArray& b, const QString& s) {
    const QByteArray u = s.toUtf8();
    put32(b, quint32(u.size()));
    b.append(u);
}

} // namespace

QString savedName(const QString& target) {
    // Ends in ".uj": should a kill leave it after the journal went, the
    // start-up's leftover sweep takes it.
    return target + QStringLiteral(".regi.uj");
}

namespace journal {

QByteArray encodeSwaps(const std::vector<FileSwap>& swaps) {
    QByteArray b;
    if (swaps.empty()) return b;
    put32(b, kSwapTag);
    put32(b, quint32(swaps.size()));
    for (const FileSwap& s : swaps) {
        putStr(b, s.target);
        putStr(b, s.fresh);
        putStr(b, s.saved);
        put32(b, s.hadTarget ? 1 : 0);
    }
    return b;
}

std::vector<FileSwap> decodeSwaps(const QByteArray& b, const QString& path) {
    qsizetype pos = 0;
    bool ok = true;
    auto u32 = [&]() -> quint32 {
        if (pos + 4 > b.size()) return ok = false, 0u;
        quint32 v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | quint8(b[pos + i]);
        pos += 4;
        return v;
    };
    auto str = [&]() -> QString {
        const quint32 n = u32();
        if (!ok || n > quint32(b.size() - pos)) return ok = false, QString();
        const QString s = QString::fromUtf8(b.constData() + pos, qsizetype(n));
        pos += qsizetype(n);
        return s;
    };
    auto bad = [&] {
        return DbError(DbError::Kind::Damaged, path,
                       QStringLiteral("sérült visszaállító napló: hibás állománycsere"));
    };
    if (u32() != kSwapTag) throw bad();
    const quint32 n = u32();
    if (!ok || n > 64) throw bad();
    std::vector<FileSwap> out(n);
    for (FileSwap& s : out) {
        s.target = str();
        s.fresh = str();
        s.saved = str();
        s.hadTarget = u32() != 0;
        for (const QString& name : {s.target, s.fresh, s.saved})
            if (name.isEmpty() || name.contains(QLatin1Char('/'))) ok = false;
    }
    if (!ok || pos != b.size()) throw bad();
    return out;
}

void prepareSwaps(const QString& dir, const std::vector<FileSwap>& swaps) {
    for (const FileSwap& s : swaps)
        if (exists(dir, s.saved) && !sys::remove(in(dir, s.saved)))
            throw ioError(QDir(dir).filePath(s.saved), QStringLiteral("nem törölhető"));
}

void applySwaps(const QString& dir, const std::vector<FileSwap>& swaps) {
    for (const FileSwap& s : swaps) {
        if (s.hadTarget) {
            if (!sys::link(in(dir, s.target), in(dir, s.saved)))
                throw ioError(QDir(dir).filePath(s.target), QStringLiteral("nem cserélhető le"));
            syncDirectory(dir);
        }
        renameDurably(QDir(dir).filePath(s.fresh), QDir(dir).filePath(s.target));
        syncDirectory(dir);
    }
}

void undoSwaps(const QString& dir, const std::vector<FileSwap>& swaps) {
    for (auto it = swaps.rbegin(); it != swaps.rend(); ++it) {
        const FileSwap& s = *it;
        if (s.hadTarget && exists(dir, s.saved)) {
            // Back under its own name; when the new file never arrived the
            // two names are one file and the saved one just goes.
            renameDurably(QDir(dir).filePath(s.saved), QDir(dir).filePath(s.target));
            if (exists(dir, s.saved)) removeDurably(QDir(dir).filePath(s.saved));
        } else if (!s.hadTarget && !exists(dir, s.fresh) && exists(dir, s.target)) {
            removeDurably(QDir(dir).filePath(s.target));
        }
        if (exists(dir, s.fresh)) removeDurably(QDir(dir).filePath(s.fresh));
    }
    syncDirectory(dir);
}

void finishSwaps(const QString& dir, const std::vector<FileSwap>& swaps) {
    for (const FileSwap& s : swaps)
        if (s.hadTarget) sys::remove(in(dir, s.saved));
}

} // namespace journal

} // namespace engine
