// A DOM document as text, byte for byte what QDomNode::save writes under
// Qt 5.15, except for one thing: Qt lists an element's attributes, and a
// document type's entities and notations, in the order of a hash seeded per
// process. Here the caller gives the attributes' order, and entities and
// notations come sorted by name, so the text is the same in every process and
// on every Qt version.
#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <QVector>

#include <functional>

// The element's attributes, each once, in the order they are to be written.
// Asked only of elements that have attributes.
using AttributesInOrder = std::function<QVector<QDomNode>(const QDomElement&)>;

// What `QTextStream stream(&text); document.save(stream, indent);` leaves in
// `text`, with every element's attributes in `order`.
QString serializeDocument(const QDomDocument& document, int indent, const AttributesInOrder& order);
