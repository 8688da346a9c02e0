#include "platform/qt/qt_text.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringEncoder>

namespace velkaro {

QString ToQString(std::string_view cp1252) {
    QStringDecoder decoder("Windows-1252");
    if (!decoder.isValid()) return QString::fromLatin1(cp1252.data(), qsizetype(cp1252.size()));
    return decoder.decode(QByteArrayView(cp1252.data(), qsizetype(cp1252.size())));
}

std::string FromQString(const QString& text) {
    QStringEncoder encoder("Windows-1252");
    if (!encoder.isValid()) return text.toLatin1().toStdString();
    QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

}  // namespace velkaro
