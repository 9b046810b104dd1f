#include "rururoroqtversion.h"

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>
#endif

namespace qtversion {

namespace {

constexpr int Utf8Mib = 106;

} // namespace

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)

TextEncoding TextEncoding::forName(const QString& name)
{
    const QTextCodec* codec = QTextCodec::codecForName(name.toLatin1());
    return TextEncoding(codec ? codec->name() : QByteArray());
}

TextEncoding TextEncoding::forMib(int mib)
{
    const QTextCodec* codec = QTextCodec::codecForMib(mib);
    return TextEncoding(codec ? codec->name() : QByteArray());
}

bool TextEncoding::isUtf8() const
{
    return isValid() && QTextCodec::codecForName(name)->mibEnum() == Utf8Mib;
}

QString TextEncoding::decode(const QByteArray& bytes) const
{
    return QTextCodec::codecForName(name)->toUnicode(bytes);
}

bool TextEncoding::canEncode(QChar unit) const
{
    return QTextCodec::codecForName(name)->canEncode(unit);
}

bool local8BitKeepsAscii()
{
    const QTextCodec* codec = QTextCodec::codecForLocale();
    const int mib = codec ? codec->mibEnum() : 0;
    return mib == Utf8Mib || mib == 4 /* ISO-8859-1 */ || mib == 3 /* US-ASCII */;
}

#else

namespace {

// The encodings the code unit detection names by MIB number.
std::optional<QStringConverter::Encoding> encodingForMib(int mib)
{
    switch (mib) {
    case Utf8Mib: return QStringConverter::Utf8;
    case 4: return QStringConverter::Latin1;
    case 1013: return QStringConverter::Utf16BE;
    case 1014: return QStringConverter::Utf16LE;
    case 1015: return QStringConverter::Utf16;
    case 1017: return QStringConverter::Utf32;
    case 1018: return QStringConverter::Utf32BE;
    case 1019: return QStringConverter::Utf32LE;
    default: return std::nullopt;
    }
}

} // namespace

TextEncoding TextEncoding::forName(const QString& name)
{
    const QStringDecoder decoder(name.toLatin1().constData());
    return TextEncoding(decoder.isValid() ? QByteArray(decoder.name()) : QByteArray());
}

TextEncoding TextEncoding::forMib(int mib)
{
    const std::optional<QStringConverter::Encoding> encoding = encodingForMib(mib);
    return TextEncoding(encoding ? QByteArray(QStringConverter::nameForEncoding(*encoding)) : QByteArray());
}

bool TextEncoding::isUtf8() const
{
    return name == QStringConverter::nameForEncoding(QStringConverter::Utf8);
}

QString TextEncoding::decode(const QByteArray& bytes) const
{
    QStringDecoder decoder(name.constData());
    return decoder.decode(bytes);
}

bool TextEncoding::canEncode(QChar unit) const
{
    if (isUtf8())
        return true;
    QStringEncoder encoder(name.constData());
    encoder.encode(QStringView(&unit, 1));
    return !encoder.hasError();
}

bool local8BitKeepsAscii()
{
    return true;
}

#endif

} // namespace qtversion
