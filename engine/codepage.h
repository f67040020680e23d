#pragma once
// Code pages at the edge of the table files. Inside the program text is
// Unicode; the program's own tables hold code page 852. Foreign tables read by
// dbfdump may use another single-byte code page or UTF-8.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace engine {

enum class CodePage {
    Cp852,
    Cp437,
    Cp850,
    Cp866,
    Cp1250,
    Cp1251,
    Cp1252,
    Iso8859_1,
    Iso8859_2,
    Utf8
};

// Encodes to code page 852. Returns std::nullopt when a character has no
// cp852 byte; *badIndex (when given) receives the index of the first one.
std::optional<QByteArray> encode852(const QString& text, int* badIndex = nullptr);

// Decodes cp852 bytes (every byte has a character; 0 stays U+0000).
QString decode852(const char* data, int len);
inline QString decode852(const QByteArray& b) {
    return decode852(b.constData(), int(b.size()));
}

// Decodes bytes in the given code page.
QString decode(CodePage cp, const char* data, int len);

// The code page that a dBase header's language-driver byte (byte 29) names,
// or nullopt for an unknown mark. Byte 0 (no mark) is not handled here.
std::optional<CodePage> codePageForLanguageDriver(std::uint8_t mark);

// The code page that the text of a .cpg file names ("UTF-8", "ANSI 1250",
// "437", "88592", ...), or nullopt when it names none we know.
std::optional<CodePage> codePageFromCpg(const QString& cpgText);

// A name for messages and dbfdump's header output, e.g. "cp852".
QString codePageName(CodePage cp);

} // namespace engine
