// Loading, saving and walking a DOM document in the few words the DOM tests compare.
#pragma once

#include "genqtdomdocument.h"

#include <QBuffer>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text.toStdString();
}

namespace domtest {

using Document = std::unique_ptr<GenQtDomDocument>;

inline const QByteArray declaration("<?xml version='1.0' encoding='UTF-8'?>\n");

// "loaded", or where the load refused `xml` as "line:column".
inline QString loadInto(GenQtDomDocument& document, QByteArray xml)
{
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    int line = -5, column = -5;
    if (document.load(&buffer, &line, &column))
        return line == -5 && column == -5 ? QStringLiteral("loaded") : QStringLiteral("loaded, position written");
    return QStringLiteral("%1:%2").arg(line).arg(column);
}

// What Qt's own DOM parser makes of `xml`, in loadInto's words: what loads and
// where a fault stands is the parser's of the Qt the library is built on.
inline QString parserVerdict(QByteArray xml)
{
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    int line = 0, column = 0;
    if (QDomDocument().setContent(&buffer, true, nullptr, &line, &column))
        return QStringLiteral("loaded");
    return QStringLiteral("%1:%2").arg(line).arg(column);
}

inline QString loadOutcome(const QByteArray& xml)
{
    GenQtDomDocument document(QString(), false);
    return loadInto(document, xml);
}

inline Document loaded(const QByteArray& xml, bool caseInsensitive = false)
{
    auto document = std::make_unique<GenQtDomDocument>(QString(), caseInsensitive);
    EXPECT_EQ(loadInto(*document, xml), QStringLiteral("loaded")) << xml.constData();
    return document;
}

inline QByteArray saved(GenQtDomDocument& document)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(document.save(&buffer, document.getDocumentID()));
    return buffer.data();
}

// One line per event: "type name value depth", then " end" for an element's end
// and " +" when an entity came back; a null value shows as ~.
inline QString walk(GenQtDomDocument& document, int events)
{
    QStringList list;
    while (events--) {
        int type = 0, depth = 0;
        QString name, value;
        bool isEnd = false;
        RurUrOroEntity* entity = document.getNextEntity(&type, &name, &value, &depth, &isEnd, document.getDocumentID());
        list << QStringLiteral("%1 %2 %3 %4%5%6")
                    .arg(type)
                    .arg(name, value.isNull() ? QStringLiteral("~") : value)
                    .arg(depth)
                    .arg(isEnd ? QStringLiteral(" end") : QString(), entity ? QStringLiteral(" +") : QString());
        releaseEntity(entity);
    }
    return list.join(QStringLiteral(" | "));
}

} // namespace domtest
