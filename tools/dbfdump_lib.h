#pragma once
// The pieces of dbfdump that do not touch the file system: choosing the code
// page, turning stored field bytes into text, CSV quoting and the header
// report. Kept apart from main() so that they can be called on their own.

#include "engine/codepage.h"
#include "engine/dbfheader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace dbfdump {

// Where the code page for the text of a table came from.
enum class CodePageSource { Cpg, LanguageDriver, Default };

struct CodePageChoice {
    engine::CodePage codePage = engine::CodePage::Cp852;
    CodePageSource source = CodePageSource::Default;
    QString warning; // set when a .cpg or a language-driver byte was not understood
};

// The .cpg names the code page when it can; then the language-driver byte;
// otherwise cp852, the program's own. `cpgText` is the sidecar's content
// (nullopt when there is none), `cpgName` its file name for messages.
CodePageChoice chooseCodePage(std::uint8_t languageDriver, const std::optional<QString>& cpgText,
                              const QString& cpgName = QString());

// The text of one stored field as dbfdump prints it:
//  C: decoded, trailing blanks removed;
//  N, F: the stored text without surrounding blanks and NUL bytes;
//  D: the stored eight characters, empty when blank;
//  L: the stored character;
//  M (10 wide): the block number without surrounding blanks;
//  anything else: "hex:" and the stored bytes in hexadecimal.
QString fieldText(char type, const char* data, int width, engine::CodePage cp);

// A field name decoded in the table's code page. The header parser reads
// names byte for byte (Latin-1), so the stored bytes can be recovered.
QString fieldName(const engine::FieldDef& field, engine::CodePage cp);

// CSV after RFC 4180: a value holding a comma, a double quote, CR or LF is
// put in double quotes, with its quotes doubled.
QString csvValue(const QString& value);
// One CSV line in UTF-8, ending with CR LF.
QByteArray csvLine(const QStringList& values);

// The CSV header line: "_deleted" and the field names in file order.
QByteArray csvHeader(const engine::DbfHeader& header, engine::CodePage cp);
// One record (recordLength bytes, the deletion flag first) as a CSV line.
QByteArray csvRecord(const engine::DbfHeader& header, const char* record, engine::CodePage cp);

// The header facts, one per line, field list included.
QString headerReport(const QString& path, const engine::DbfHeader& header,
                     const CodePageChoice& choice, const QString& cpgName);

// The usage text printed by --help.
QString usage();

} // namespace dbfdump
