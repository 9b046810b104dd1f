// The input guard over a whole document, as the DOM loaders read it, and the
// characters Qt's DOM parser reads from the bytes.
#pragma once

#include "rururoroxmlposition.h"

#include <QByteArray>
#include <QString>

#include <string_view>
#include <vector>

// Where a document breaks a limit: line and column as Qt's parsers count them
// (lines from 1; CR, LF and CR LF end one; columns in UTF-16 units), just after
// the code unit where the breach became certain.
struct RurUrOroInputRefusal {
    bool found = false;
    int line = 0;
    int column = 0;
    QString message;
};

// Told of the start tags that hold more than one attribute, the only ones
// whose attributes have an order to keep: the position just after the ">",
// whether the tag ends in "/>", and the attribute names as written, in UTF-8
// bytes as read or in UTF-16 units of decoded text. The views last the call.
class RurUrOroStartTagSink {
public:
    virtual void startTag(const XmlTextPosition& after, bool empty, const std::vector<std::string_view>& names) = 0;
    virtual void startTag(const XmlTextPosition& after, bool empty,
                          const std::vector<std::u16string_view>& names) = 0;

protected:
    ~RurUrOroStartTagSink() = default;
};

// UTF-8 input is checked in place; anything else as the parser decodes it, so
// that markup spelled in another encoding (UTF-7's base64, EBCDIC) counts too.
RurUrOroInputRefusal checkWholeDocument(const QByteArray& bytes, RurUrOroStartTagSink* startTags = nullptr);
// The same for text the caller decoded, as a parse of that text reads it.
RurUrOroInputRefusal checkDecodedText(const QString& text, RurUrOroStartTagSink* startTags = nullptr);

// Where the first C0 control other than tab, line feed and carriage return
// stands in the characters the parser reads (its column counts it); not found
// when there is none.
RurUrOroInputRefusal firstControlCharacter(const QByteArray& bytes);

// Whether the characters the parser reads hold a processing instruction other
// than a declaration at their start: "<?" anywhere else, in a comment too.
bool mayHoldInstruction(const QByteArray& bytes);

// The characters the parser reads from the bytes: the encoding its first bytes
// or its declaration give, decoded as the parser decodes it.
QString decodedAsParsed(const QByteArray& bytes);
