// The order a DOM document shows an element's attributes in: walk events,
// saved bytes, strings. Qt keeps attributes in a hash seeded per process, so
// its own order changes from run to run; this one is the same in every process
// and on every Qt version. It is the document's own order wherever the library
// knows it: a loaded element's attributes as they stood in its start tag, then
// those added through the library in the order added; any others (added behind
// the library's back, or from an entity's replacement text) follow, sorted by
// qualified name.
#pragma once

#include "genqtdomserializer.h"
#include "rururorodocumentcheck.h"

#include <QDomElement>
#include <QHash>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class DomAttributeOrder final : public RurUrOroStartTagSink {
public:
    // Loading: the input check reports the start tags as it passes them.
    void startTag(const XmlTextPosition& after, bool empty, const std::vector<std::string_view>& names) override;
    void startTag(const XmlTextPosition& after, bool empty, const std::vector<std::u16string_view>& names) override;
    // Once the load is over: the records shrink to their size.
    void loaded();
    void clear();

    // Building: before `name` is set on an element that does not hold it yet.
    void adding(const QDomElement& element, const QString& name);

    void attributesOf(const QDomElement& element, DomAttributeList& ordered) const;

private:
    template <typename Name>
    void recordStartTag(const XmlTextPosition& after, bool empty, const std::vector<Name>& tagNames);
    void appendName(std::string_view utf8);
    void appendName(std::u16string_view utf16);

    // Loaded start tags of two attributes or more, in document order, found by
    // the position Qt's parser gives their element: (line << 32) | column,
    // ascending. Tag i's names end at nameEnds[tagNameEnds[i] - 1].
    std::vector<quint64> tagKeys;
    std::vector<quint32> tagNameEnds;
    std::vector<quint32> nameEnds;
    std::u16string names;

    // Elements given attributes through the library, all of theirs in order.
    // The element is held so that no other node takes its identity.
    struct Added {
        QDomElement element;
        QStringList names;
    };
    QHash<quintptr, Added> added;
};
