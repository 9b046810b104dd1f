// What differs between the Qt major versions the library builds on. Every
// other file is written once for both and asks nothing about the version.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

namespace qtversion {

// A text encoding as Qt's XML parsers choose one, by name or MIB number:
// through QTextCodec on Qt 5, through QStringDecoder on Qt 6, as each Qt's own
// parsers do. Invalid for a name that Qt cannot decode.
class TextEncoding {
public:
    TextEncoding() = default; // invalid
    static TextEncoding forName(const QString& name);
    static TextEncoding forMib(int mib);

    bool isValid() const { return !name.isEmpty(); }
    bool isUtf8() const;
    // All of `bytes` from a fresh start; a leading byte order mark is dropped.
    QString decode(const QByteArray& bytes) const;
    // Whether the encoding writes the UTF-16 unit on its own, as Qt 5's DOM
    // save asks its codec; UTF-8 takes every unit, a lone surrogate too.
    bool canEncode(QChar unit) const;

    bool operator==(const TextEncoding& other) const { return name == other.name; }
    bool operator!=(const TextEncoding& other) const { return name != other.name; }

private:
    explicit TextEncoding(const QByteArray& name) : name(name) {}

    QByteArray name; // Qt's own name for it; empty when Qt has no decoder
};

// Whether the local 8-bit encoding writes ASCII as itself. Qt 5 follows the
// codec a host may set for the locale at any time, so the answer is fresh on
// every call; Qt 6 always uses UTF-8 on Unix.
bool local8BitKeepsAscii();

// Where Qt's DOM parser places an element it reads: just after the ">" of its
// start tag; Qt 5's places an empty element's "/>" after the "/".
constexpr bool domPlacesEmptyElementsAtTheirSlash = QT_VERSION < QT_VERSION_CHECK(6, 0, 0);

// Qt 6's DOM parser takes C0 controls in names, which Qt 5's refuses itself.
constexpr bool domParserTakesControlsInNames = QT_VERSION >= QT_VERSION_CHECK(6, 0, 0);

// Qt 6's DOM parser checks an instruction's target only when something follows
// it before "?>"; Qt 5's checks every target.
constexpr bool domParserTakesBareInstructionTargetsUnchecked = QT_VERSION >= QT_VERSION_CHECK(6, 0, 0);

// Qt 6's DOM parser keeps only the local part of the document type's name.
constexpr bool domParserDropsDocumentTypePrefix = QT_VERSION >= QT_VERSION_CHECK(6, 0, 0);

// Makes the local 8-bit encoding UTF-8, as it always is with Qt 6 on Unix.
inline void useUtf8AsLocal8Bit()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QTextCodec::setCodecForLocale(QTextCodec::codecForMib(106));
#endif
}

} // namespace qtversion
