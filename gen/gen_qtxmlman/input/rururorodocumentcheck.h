// The input guard over a whole document, as the DOM loaders read it, and the
// characters Qt's DOM parser reads from the bytes.
#pragma once

#include <QByteArray>
#include <QString>

// Where a document breaks a limit: line and column as Qt's parsers count them
// (lines from 1; CR, LF and CR LF end one; columns in UTF-16 units), just after
// the code unit where the breach became certain.
struct RurUrOroInputRefusal {
    bool found = false;
    int line = 0;
    int column = 0;
    QString message;
};

// UTF-8 input is checked in place; anything else as the parser decodes it, so
// that markup spelled in another encoding (UTF-7's base64, EBCDIC) counts too.
RurUrOroInputRefusal checkWholeDocument(const QByteArray& bytes);

// Where the first C0 control other than tab, line feed and carriage return
// stands in the characters the parser reads (its column counts it); not found
// when there is none.
RurUrOroInputRefusal firstControlCharacter(const QByteArray& bytes);

// The characters the parser reads from the bytes: the encoding its first bytes
// or its declaration give, decoded as the parser decodes it.
QString decodedAsParsed(const QByteArray& bytes);
