#include "tools/demo/demotool.h"

#include "engine/table.h"
#include "tools/demo/demodata.h"

#include <QDir>
#include <exception>

namespace demo {

namespace {

void usage(QTextStream& err) {
    err << "Használat: szdemo [--force] [--local-data] [--date ÉÉÉÉ.HH.NN] PROGRAMKÖNYVTÁR\n"
           "  A PROGRAMKÖNYVTÁR/DATA könyvtárba elkészíti egy kitalált szolgáltató\n"
           "  szerződéses adatait (a RAV-tól kapott hét táblát) az adott év szerződésével.\n"
           "  --force       a meglévő szerződéses táblákat felülírja\n"
           "  --local-data  ápolókat, orvosokat és betegeket is készít (Apol, Orvos, Beteg)\n"
           "  --date        a mai nap helyett ezt a napot veszi (a szerződés éve ebből adódik)\n";
}

} // namespace

int runTool(const QStringList& args, QDate today, QTextStream& out, QTextStream& err) {
    bool force = false;
    Options options;
    QString programDir;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--force") {
            force = true;
        } else if (a == u"--local-data") {
            options.localData = true;
        } else if (a == u"--date") {
            const QString d = i + 1 < args.size() ? args[++i] : QString();
            today = QDate::fromString(d, QStringLiteral("yyyy.MM.dd"));
            if (!today.isValid()) {
                err << "Hibás dátum: \"" << d << "\" (ÉÉÉÉ.HH.NN alakban kell megadni).\n";
                return 2;
            }
        } else if (a == u"-h" || a == u"--help") {
            usage(out);
            return 0;
        } else if (a.startsWith(u'-') || !programDir.isEmpty()) {
            err << "Ismeretlen vagy fölösleges paraméter: " << a << "\n";
            usage(err);
            return 2;
        } else {
            programDir = a;
        }
    }
    if (programDir.isEmpty()) {
        usage(err);
        return 2;
    }

    const QString dataDir = QDir(programDir).filePath(QStringLiteral("DATA"));
    if (hasCountyData(programDir) && !force) {
        err << "A(z) " << QDir::toNativeSeparators(dataDir)
            << " könyvtárban már vannak szerződéses adatok (PART.DBF).\n"
               "Nem írom felül őket; ha mégis ez a cél, adja meg a --force kapcsolót.\n";
        return 1;
    }
    if (options.localData) {
        for (const char* name : {"Apol.dbf", "Orvos.dbf", "Beteg.dbf"}) {
            const QString path = QDir(dataDir).filePath(QString::fromLatin1(name));
            if (engine::fileExistsNoCase(path)) {
                err << "A(z) " << QDir::toNativeSeparators(dataDir) << " könyvtárban már van "
                    << name << ".\nA helyi adatokat (ápolók, orvosok, betegek) a szdemo "
                    << "sosem írja felül; a --local-data kapcsoló nélkül futtassa.\n";
                return 1;
            }
        }
    }

    try {
        const Result r = makeDemoData(programDir, today, options);
        out << "Elkészültek a bemutató adatok: " << QDir::toNativeSeparators(r.dataDir) << "\n";
        for (const MadeFile& f : r.files)
            out << "  " << f.name.leftJustified(14) << QString::number(f.records).rightJustified(6)
                << " rekord\n";
        const int y = today.year();
        out << "Szolgáltató: " << providerCode() << " " << providerName() << "\n"
            << "Szerződés: " << contractNumber(y) << ", " << y << ".01.01 - " << y
            << ".12.31, FIN-kód: " << financingCode() << "\n";
    } catch (const std::exception& e) {
        err << "Hiba: " << QString::fromStdString(e.what()) << "\n";
        return 1;
    }
    return 0;
}

} // namespace demo
