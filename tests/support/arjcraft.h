#pragma once
// ARJ archives written byte by byte, with any names in their headers, as a
// hostile or careless sender could make them (the archiver itself refuses
// to store such names). Entries are stored uncompressed; the headers carry
// their CRC-32, so the archiver reads them as sound archives.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <utility>
#include <vector>

namespace arjcraft {

inline std::uint32_t crc32(const QByteArray& b) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (char ch : b) {
        c ^= std::uint8_t(ch);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

inline void put16(QByteArray& b, unsigned v) {
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}
inline void put32(QByteArray& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

// One header: the mark, the size, the body, its CRC and no extended header.
inline QByteArray header(const QByteArray& body) {
    QByteArray h("\x60\xEA", 2);
    put16(h, unsigned(body.size()));
    h += body;
    put32(h, crc32(body));
    put16(h, 0);
    return h;
}

using Entries = std::vector<std::pair<QByteArray, QByteArray>>; // name, contents

inline QByteArray archive(const Entries& entries) {
    const std::uint32_t stamp = 0x58220000; // 2024-01-02 00:00:00 in DOS form
    QByteArray main;
    main.append(char(34)).append(char(11)).append(char(1)).append(char(2)); // size, versions, UNIX
    main.append(char(0x10))
        .append(char(0))
        .append(char(2))
        .append(char(0)); // flags, -, comment header
    put32(main, stamp);
    put32(main, stamp);
    put32(main, 0);
    put32(main, 0);
    put16(main, 0);
    put16(main, 0);
    main.append(char(0)).append(char(0));
    put32(main, 0);
    main += QByteArray("t.arj\0\0", 7);
    QByteArray out = header(main);
    for (const auto& [name, data] : entries) {
        QByteArray b;
        b.append(char(46)).append(char(11)).append(char(1)).append(char(2)); // size, versions, UNIX
        b.append(char(0x10))
            .append(char(0))
            .append(char(0))
            .append(char(0)); // flags, stored, binary
        put32(b, stamp);
        put32(b, std::uint32_t(data.size()));
        put32(b, std::uint32_t(data.size()));
        put32(b, crc32(data));
        put16(b, 0);       // where the bare name starts inside the stored path
        put16(b, 0100644); // a regular file, rw-r--r--
        b.append(char(0)).append(char(0));
        put32(b, 0);
        put32(b, stamp);
        put32(b, stamp);
        put32(b, 0);
        b += name;
        b.append(char(0)).append(char(0)); // end of name, empty comment
        out += header(b) + data;
    }
    out += QByteArray("\x60\xEA\0\0", 4);
    return out;
}

inline bool write(const QString& path, const Entries& entries) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(archive(entries)) == archive(entries).size();
}

// A stand-in for the archiver: a shell script with `body`, made executable.
inline QString fakeArchiver(const QString& path, const QByteArray& body) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write("#!/bin/sh\n" + body + "\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// The same on Windows: a batch file `path`.cmd with the command lines `body`.
inline QString fakeWindowsArchiver(const QString& path, const QByteArray& body) {
    const QString cmd = path + QStringLiteral(".cmd");
    QFile f(cmd);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write("@echo off\r\n" + QByteArray(body).replace("\n", "\r\n") + "\r\n");
    return cmd;
}

} // namespace arjcraft
