// A DOM document as text, byte for byte what QDomNode::save writes under
// Qt 5.15, except for two things. Qt lists an element's attributes, and a
// document type's entities and notations, in the order of a hash seeded per
// process; here the caller gives the attributes' order, and entities and
// notations come sorted by name, so the text is the same in every process and
// on every Qt version. And Qt declares an attribute's namespace after the
// attribute, where its own parser no longer applies it; here it comes before.
#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <QVarLengthArray>

#include <functional>

// An element's attributes, each once, in the order they are shown: most
// elements have few, which fit in place.
using DomAttributeList = QVarLengthArray<QDomNode, 8>;

// Fills the list with the element's attributes. Asked only of elements that
// have attributes.
using AttributesInOrder = std::function<void(const QDomElement&, DomAttributeList&)>;

// What `QTextStream stream(&text); document.save(stream, indent);` leaves in
// `text`, with every element's attributes in `order`, each declaring its
// namespace before it. A document type is written under `documentTypeName`
// when one is given.
QString serializeDocument(const QDomDocument& document, int indent, const AttributesInOrder& order,
                          const QString& documentTypeName = QString());
