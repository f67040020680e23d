// main() of the test programs whose code measures texts: a QGuiApplication
// on the offscreen platform before GoogleTest runs.

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

// Under Wine the offscreen platform has no fonts at all (it reads none of
// the system's, and Wine does not hand the QT_ variables such as
// QT_QPA_FONTDIR on to the program): every text would be measured as a row
// of boxes of one width. The fonts of the folder scripts/test-windows names
// in SZ_FONTDIR are added, and Arial, which the pages ask for, is found as
// DejaVu Sans, as fontconfig finds it on Linux.
void addFontsWhereThereAreNone() {
    if (!QFontDatabase::families().isEmpty()) return;
    const QString folder = qEnvironmentVariable("SZ_FONTDIR");
    if (folder.isEmpty()) return;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.ttf")}, QDir::Files))
        QFontDatabase::addApplicationFont(dir.filePath(name));
    if (!QFontDatabase::families().contains(QStringLiteral("Arial")))
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("DejaVu Sans"));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    addFontsWhereThereAreNone();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
