#include "engine/fileswap.h"

#include "engine/coding.h"
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
    append32le(b, kSwapTag);
    append32le(b, quint32(swaps.size()));
    for (const FileSwap& s : swaps) {
        appendStr(b, s.target);
        appendStr(b, s.fresh);
        appendStr(b, s.saved);
        append32le(b, s.hadTarget ? 1 : 0);
    }
    return b;
}

std::vector<FileSwap> decodeSwaps(const QByteArray& b, const QString& path) {
    ByteReader r{b};
    auto bad = [&] {
        return DbError(DbError::Kind::Damaged, path,
                       QStringLiteral("sérült visszaállító napló: hibás állománycsere"));
    };
    if (r.u32() != kSwapTag) throw bad();
    const quint32 n = r.u32();
    if (!r.ok || n > 64) throw bad();
    std::vector<FileSwap> out(n);
    for (FileSwap& s : out) {
        s.target = r.str();
        s.fresh = r.str();
        s.saved = r.str();
        s.hadTarget = r.u32() != 0;
        for (const QString& name : {s.target, s.fresh, s.saved})
            if (name.isEmpty() || name.contains(QLatin1Char('/'))) r.ok = false;
    }
    if (!r.ok || r.pos != b.size()) throw bad();
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
