#include "exchange/masolas.h"

#include "db/kuldemenyforma.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <memory>
#include <vector>

namespace exch {

namespace {

const QString kKuldben = QStringLiteral("Az elküldendő adatok a KULD könyvtárban vannak!");
const QByteArray kJelFej = QByteArrayLiteral("SZKMASOLAS1");

QString perrel(const QString& dir) {
    return dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\'))
               ? dir
               : dir + QLatin1Char('/');
}

QString fajlNeve(const QString& path) {
    return QFileInfo(path).fileName();
}

// The reason of a failure in the user's words.
QString ok(const engine::DbError& e) {
    return e.sysError() != 0 ? engine::systemReason(e.sysError()) : e.detail();
}

// One file of the copy: where it comes from in KULD, where it goes.
struct Par {
    QString forras, cel;
};

struct Jel {
    QString cel; // the folder
    std::vector<Par> parok;
};

void jelIr(const QString& path, const Jel& j) {
    QByteArray b = kJelFej + '\n' + j.cel.toUtf8() + '\n';
    for (const Par& p : j.parok)
        b += fajlNeve(p.forras).toUtf8() + '\t' + fajlNeve(p.cel).toUtf8() + '\n';
    engine::NewFile f(path, path + QStringLiteral(".uj"));
    f.append(b.constData(), std::size_t(b.size()));
    f.commit();
}

// The mark read back; nullopt when it cannot be read or makes no sense.
std::optional<Jel> jelOlvas(const QString& path, const QString& kuld) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > 64 * 1024) return std::nullopt;
    const QList<QByteArray> sorok = f.readAll().split('\n');
    if (sorok.size() < 3 || sorok[0] != kJelFej) return std::nullopt;
    Jel j;
    j.cel = QString::fromUtf8(sorok[1]);
    if (j.cel.isEmpty() || !QDir::isAbsolutePath(j.cel)) return std::nullopt;
    for (qsizetype i = 2; i < sorok.size(); ++i) {
        if (sorok[i].isEmpty()) continue;
        const QList<QByteArray> ketto = sorok[i].split('\t');
        if (ketto.size() != 2) return std::nullopt;
        const QString forras = QString::fromUtf8(ketto[0]);
        const QString cel = QString::fromUtf8(ketto[1]);
        // Plain file names only: the mark never leads outside its folders.
        for (const QString& n : {forras, cel})
            if (n.isEmpty() || n.contains(QLatin1Char('/')) || n.contains(QLatin1Char('\\')) ||
                n == QLatin1String("..") || n == QLatin1String("."))
                return std::nullopt;
        j.parok.push_back({perrel(kuld) + forras, perrel(j.cel) + cel});
    }
    if (j.parok.empty()) return std::nullopt;
    return j;
}

// Copies `from` into the open new file; a read failure is thrown as an Io
// error of `from`.
void tartalomMasol(const QString& from, engine::NewFile& to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        errno = in.error() == QFileDevice::PermissionsError ? EACCES
                : QFileInfo::exists(from)                   ? EIO
                                                            : ENOENT;
        throw engine::ioError(from, QStringLiteral("nem olvasható"));
    }
    QByteArray buf(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buf.data(), buf.size());
        if (n < 0) {
            errno = EIO;
            throw engine::ioError(from, QStringLiteral("nem olvasható"));
        }
        if (n == 0) break;
        to.append(buf.constData(), std::size_t(n));
    }
}

bool azonos(const QString& a, const QString& b) {
    QFile x(a), y(b);
    if (!x.open(QIODevice::ReadOnly) || !y.open(QIODevice::ReadOnly) || x.size() != y.size())
        return false;
    return x.readAll() == y.readAll();
}

bool letezik(const QString& path) {
    const QFileInfo fi(path);
    return fi.exists() || fi.isSymLink();
}

} // namespace

QString Masolas::mappaNev(const QString& dir) {
    return QDir::toNativeSeparators(QDir::cleanPath(dir));
}

QString Masolas::jelPath(const QString& kuld) {
    return perrel(kuld) + QStringLiteral("masolas.jel");
}

std::optional<QString> Masolas::masol(const QString& kuld, const QString& cel,
                                      const QString& intkod) {
    const QString k = perrel(kuld);
    const QString mappa = mappaNev(cel);
    // KULD itself chosen: the files are there already (and on a file system
    // that ignores letter case, removing "szka....dbf" would remove them).
    if (QDir(cel).exists() && QDir(cel).canonicalPath() == QDir(kuld).canonicalPath())
        return std::nullopt;
    Jel jel;
    jel.cel = QDir::cleanPath(QFileInfo(cel).absoluteFilePath());
    for (char betu : {'a', 'b', 'c'}) {
        const QString forras = engine::findFileNoCase(k + db::kuldFajlNev(betu, intkod));
        if (!QFileInfo(forras).isFile())
            return QStringLiteral("A másolás nem sikerült: a(z) %1 állomány hiányzik a KULD "
                                  "könyvtárból.")
                .arg(db::kuldFajlNev(betu, intkod));
        jel.parok.push_back({forras, perrel(jel.cel) + db::kuldMasolatNev(betu, intkod)});
    }
    const QString jp = jelPath(kuld);
    try {
        jelIr(jp, jel);
    } catch (const engine::DbError& e) {
        return QStringLiteral("A másolás nem kezdhető meg, mert a KULD könyvtárba nem írható: "
                              "%1.\r")
                   .arg(ok(e)) +
               kKuldben;
    }

    QString most;           // the file the user knows, being handled
    bool olvasas = false;   // the failure was reading it from KULD
    bool valtozott = false; // the folder's files began to change
    try {
        std::vector<std::unique_ptr<engine::NewFile>> ujak;
        // An earlier copy's files go first: from now on the folder holds only
        // what this copy completes.
        valtozott = true;
        for (const Par& p : jel.parok) {
            most = fajlNeve(p.cel);
            if (letezik(p.cel)) engine::removeDurably(p.cel);
        }
        for (const Par& p : jel.parok) {
            most = fajlNeve(p.cel);
            auto f = std::make_unique<engine::NewFile>(p.cel, p.cel + QStringLiteral(".uj"));
            try {
                tartalomMasol(p.forras, *f);
            } catch (const engine::DbError& e) {
                if (e.file() == p.forras) {
                    most = fajlNeve(p.forras);
                    olvasas = true;
                }
                throw;
            }
            f->sync();
            ujak.push_back(std::move(f));
        }
        for (size_t i = 0; i < ujak.size(); ++i) {
            most = fajlNeve(jel.parok[i].cel);
            ujak[i]->commit();
        }
    } catch (const engine::DbError& e) {
        // Half a shipment would be read as a whole one: once the folder's
        // files began to change, none of the three stays (the temporary
        // files went with their writers). Should that fail too, the mark
        // stays and the next start tries again.
        bool tiszta = true;
        if (valtozott)
            for (const Par& p : jel.parok) {
                try {
                    if (letezik(p.cel)) engine::removeDurably(p.cel);
                } catch (const engine::DbError&) {
                    tiszta = false;
                }
            }
        if (tiszta) {
            try {
                engine::removeDurably(jp);
            } catch (const engine::DbError&) {
            }
        }
        const QString miert =
            olvasas ? QStringLiteral("A másolás nem sikerült: a(z) %1 állomány nem olvasható a "
                                     "KULD könyvtárból, mert %2.\r")
                          .arg(most, ok(e))
                    : QStringLiteral("A másolás nem sikerült: a(z) %1 állomány nem írható a(z) %2 "
                                     "mappába, mert %3.\r")
                          .arg(most, mappa, ok(e));
        return miert + kKuldben;
    }
    // Done; a mark that cannot be removed now is found whole at the next
    // start and removed without a word.
    try {
        engine::removeDurably(jp);
    } catch (const engine::DbError&) {
    }
    return std::nullopt;
}

QString Masolas::inditaskor(const QString& kuld) {
    const QString jp = jelPath(kuld);
    if (!letezik(jp)) {
        // Cut short while the mark was being written: the folder was not
        // touched yet.
        const QString felbe = jp + QStringLiteral(".uj");
        if (!letezik(felbe)) return {};
        try {
            engine::removeDurably(felbe);
        } catch (const engine::DbError&) {
        }
        return QStringLiteral("Az előző küldemény másolása nem fejeződött be; a kiválasztott "
                              "mappában még nem változott semmi.\r") +
               kKuldben;
    }
    const std::optional<Jel> jel = jelOlvas(jp, kuld);
    auto jelTorol = [&] {
        try {
            engine::removeDurably(jp);
        } catch (const engine::DbError&) {
        }
    };
    if (!jel) {
        jelTorol();
        return QStringLiteral("Az előző küldemény másolása nem fejeződött be, és nem derül ki, "
                              "hová készült. Ha a kiválasztott mappában szka, szkb vagy szkc "
                              "kezdetű állomány van, ne küldje el, mert hiányos lehet!\r") +
               kKuldben;
    }
    const QString mappa = mappaNev(jel->cel);
    if (!QFileInfo(jel->cel).isDir()) {
        jelTorol();
        return QStringLiteral("Az előző küldemény másolása a(z) %1 mappába nem fejeződött be, és "
                              "a mappa most nem érhető el. Az ott lévő szka, szkb és szkc kezdetű "
                              "állományokat ne küldje el, mert hiányosak lehetnek!\r")
                   .arg(mappa) +
               kKuldben;
    }
    QString hiba;
    auto torol = [&](const QString& p) {
        if (!letezik(p)) return;
        try {
            engine::removeDurably(p);
        } catch (const engine::DbError& e) {
            if (hiba.isEmpty()) hiba = QStringLiteral("%1: %2").arg(fajlNeve(p), ok(e));
        }
    };
    for (const Par& p : jel->parok)
        torol(p.cel + QStringLiteral(".uj"));
    // Cut short only after the last name was given: the copy is whole.
    bool egesz = true;
    for (const Par& p : jel->parok)
        egesz = egesz && QFileInfo(p.cel).isFile() && azonos(p.cel, p.forras);
    if (egesz && hiba.isEmpty()) {
        jelTorol();
        return {};
    }
    for (const Par& p : jel->parok)
        torol(p.cel);
    if (!hiba.isEmpty())
        // The mark stays: the next start tries again.
        return QStringLiteral("Az előző küldemény másolása a(z) %1 mappába nem fejeződött be, és "
                              "a félbemaradt másolat nem törölhető onnan (%2). Az ott lévő szka, "
                              "szkb és szkc kezdetű állományokat ne küldje el!\r")
                   .arg(mappa, hiba) +
               kKuldben;
    jelTorol();
    return QStringLiteral("Az előző küldemény másolása a(z) %1 mappába nem fejeződött be, ezért "
                          "a program törölte onnan a félbemaradt másolatot.\r")
               .arg(mappa) +
           kKuldben;
}

} // namespace exch
