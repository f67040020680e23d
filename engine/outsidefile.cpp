#include "engine/outsidefile.h"

#include "engine/coding.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/sysfile.h"

#include <QFile>
#include <cerrno>

namespace engine {

int openRegularFile(const QString& path, qint64* size) {
    // O_NONBLOCK: opening a FIFO does not wait for a writer.
    const int fd = sys::open(path, sys::ReadOnly | sys::NoWait);
    if (fd < 0) throw ioError(path, QStringLiteral("nem olvasható"));
    sys::FileInfo st;
    if (!sys::fileInfo(fd, &st)) {
        const int saved = errno;
        sys::close(fd);
        errno = saved;
        throw ioError(path, QStringLiteral("nem olvasható"));
    }
    if (!st.regular) {
        sys::close(fd);
        throw DbError(DbError::Kind::Io, path,
                      QStringLiteral("nem közönséges állomány (hanem eszköz, csővezeték vagy "
                                     "könyvtár), nem olvasható be"));
    }
    sys::setBlocking(fd);
    if (size) *size = qint64(st.size);
    return fd;
}

void checkOutsideTable(const QString& path, qint64 slack) {
    qint64 size = 0;
    const int fd = openRegularFile(path, &size);
    unsigned char h[32];
    const long long n = size >= 32 ? sys::readAt(fd, h, sizeof h, 0) : 0;
    sys::close(fd);
    // Too short to have a header: no danger in its size, and the reader
    // says what it is.
    if (n != (long long)(sizeof h)) return;
    const quint64 records = get32le(reinterpret_cast<const char*>(h + 4));
    const quint64 headerLength = quint64(h[8]) | quint64(h[9]) << 8;
    const quint64 recordLength = quint64(h[10]) | quint64(h[11]) << 8;
    const quint64 most = headerLength + records * recordLength + 1 + quint64(slack);
    if (quint64(size) > most)
        throw DbError(DbError::Kind::Damaged, path,
                      QStringLiteral("hosszabb, mint amit a fejléce szerint tartalmazhat"));
}

} // namespace engine
