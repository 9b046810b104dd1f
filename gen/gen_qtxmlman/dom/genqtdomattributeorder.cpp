#include "genqtdomattributeorder.h"

#include "genqtdomnodeidentity.h"
#include "rururoroqtversion.h"

#include <QDomNamedNodeMap>
#include <QVarLengthArray>

#include <algorithm>
#include <tuple>

namespace {

quint64 positionKey(int line, int column)
{
    return quint64(quint32(line)) << 32 | quint32(column);
}

// The position Qt's DOM parser gives the element of a start tag.
quint64 elementKey(const XmlTextPosition& afterTag, bool empty)
{
    const bool atSlash = empty && qtversion::domPlacesEmptyElementsAtTheirSlash;
    return positionKey(afterTag.line, afterTag.column - (atSlash ? 1 : 0));
}

// Ties between equal qualified names (possible in different namespaces) are
// broken by what else tells them apart, never by the hash.
bool writtenBefore(const QDomNode& a, const QDomNode& b)
{
    return std::make_tuple(a.nodeName(), a.namespaceURI(), a.nodeValue()) <
           std::make_tuple(b.nodeName(), b.namespaceURI(), b.nodeValue());
}

// Up to this many attributes, stepping through Qt's hash and comparing names
// costs less than a lookup by name per attribute (a third, on records of two).
constexpr int FewAttributes = 8;

// All the attributes: `named` first, in its order, then the others sorted.
// item() steps through Qt's hash from its start on every call, so listing
// them costs what a plain reader of Qt's DOM pays; inOrder avoids it for
// elements of many attributes whenever it can.
template <typename Names>
void namedFirstThenSorted(const QDomNamedNodeMap& attributes, int count, const Names& named, DomAttributeList& ordered)
{
    QVarLengthArray<QDomNode, FewAttributes> all(count);
    QVarLengthArray<QString, FewAttributes> allNames(count);
    QVarLengthArray<bool, FewAttributes> taken(count);
    QHash<QString, int> indexOf;
    for (int i = 0; i < count; ++i) {
        all[i] = attributes.item(i);
        allNames[i] = all[i].nodeName();
        taken[i] = false;
        if (count > FewAttributes)
            indexOf.insert(allNames[i], i);
    }
    const auto find = [&](QStringView name) {
        if (count > FewAttributes)
            return indexOf.value(name.toString(), -1);
        const auto found = std::find(allNames.cbegin(), allNames.cend(), name);
        return found == allNames.cend() ? -1 : int(found - allNames.cbegin());
    };
    ordered.clear();
    named([&](QStringView name) {
        const int i = find(name);
        if (i >= 0 && !taken[i]) {
            taken[i] = true;
            ordered.append(all[i]);
        }
    });
    const int namedCount = ordered.size();
    for (int i = 0; i < count; ++i) {
        if (!taken[i])
            ordered.append(all[i]);
    }
    std::sort(ordered.begin() + namedCount, ordered.end(), writtenBefore);
}

// Many attributes: each name looked up in Qt's hash. That finds a prefixed
// attribute by its local name only, so a name that finds another attribute, or
// one that finds none, sends the element down the long way.
template <typename Names>
void inOrder(const QDomNamedNodeMap& attributes, int count, const Names& named, DomAttributeList& ordered)
{
    if (count > FewAttributes) {
        ordered.clear();
        bool found = true;
        QString key; // made once, pointed at each name in turn
        named([&](QStringView name) {
            if (!found)
                return;
            key.setRawData(name.data(), int(name.size()));
            const QDomNode attribute = attributes.namedItem(key);
            found = !attribute.isNull() && attribute.nodeName() == name;
            ordered.append(attribute);
        });
        if (found && ordered.size() == count)
            return;
    }
    namedFirstThenSorted(attributes, count, named, ordered);
}

} // namespace

void DomAttributeOrder::startTag(const XmlTextPosition& after, bool empty, const std::vector<std::string_view>& names)
{
    recordStartTag(after, empty, names);
}

void DomAttributeOrder::startTag(const XmlTextPosition& after, bool empty,
                                 const std::vector<std::u16string_view>& names)
{
    recordStartTag(after, empty, names);
}

template <typename Name>
void DomAttributeOrder::recordStartTag(const XmlTextPosition& after, bool empty, const std::vector<Name>& tagNames)
{
    const quint64 key = elementKey(after, empty);
    if (!tagKeys.empty() && key <= tagKeys.back())
        return; // only a malformed document could go back; the search needs them ascending
    for (const Name& name : tagNames)
        appendName(name);
    tagKeys.push_back(key);
    tagNameEnds.push_back(quint32(nameEnds.size()));
}

void DomAttributeOrder::appendName(std::string_view utf8)
{
    const size_t start = names.size();
    for (const char byte : utf8) {
        if (uchar(byte) >= 0x80) {
            names.resize(start);
            const QString name = QString::fromUtf8(utf8.data(), int(utf8.size()));
            appendName(std::u16string_view(reinterpret_cast<const char16_t*>(name.utf16()), size_t(name.size())));
            return;
        }
        names.push_back(char16_t(byte));
    }
    nameEnds.push_back(quint32(names.size()));
}

void DomAttributeOrder::appendName(std::u16string_view utf16)
{
    names.append(utf16);
    nameEnds.push_back(quint32(names.size()));
}

void DomAttributeOrder::loaded()
{
    tagKeys.shrink_to_fit();
    tagNameEnds.shrink_to_fit();
    nameEnds.shrink_to_fit();
    names.shrink_to_fit();
}

void DomAttributeOrder::clear()
{
    *this = DomAttributeOrder();
}

void DomAttributeOrder::adding(const QDomElement& element, const QString& name)
{
    if (!element.hasAttributes())
        return; // a first attribute has no order to keep
    auto entry = added.find(domNodeIdentity(element));
    if (entry == added.end()) {
        DomAttributeList attributes;
        attributesOf(element, attributes);
        QStringList names;
        for (const QDomNode& attribute : attributes)
            names.append(attribute.nodeName());
        entry = added.insert(domNodeIdentity(element), Added{element, names});
    }
    if (!entry->names.contains(name))
        entry->names.append(name);
}

void DomAttributeOrder::attributesOf(const QDomElement& element, DomAttributeList& ordered) const
{
    const QDomNamedNodeMap attributes = element.attributes();
    const int count = attributes.count();
    ordered.clear();
    if (count < 2) {
        if (count)
            ordered.append(attributes.item(0));
        return;
    }
    const auto entry = added.isEmpty() ? added.cend() : added.constFind(domNodeIdentity(element));
    if (entry != added.cend()) {
        inOrder(attributes, count, [&](const auto& take) {
            for (const QString& name : entry->names)
                take(QStringView(name));
        }, ordered);
        return;
    }
    const int line = element.lineNumber();
    const quint64 key = positionKey(line, element.columnNumber());
    const auto tag = line < 1 ? tagKeys.cend() : std::lower_bound(tagKeys.cbegin(), tagKeys.cend(), key);
    if (tag == tagKeys.cend() || *tag != key) {
        namedFirstThenSorted(attributes, count, [](const auto&) {}, ordered);
        return;
    }
    const size_t index = size_t(tag - tagKeys.cbegin());
    const quint32 first = index ? tagNameEnds[index - 1] : 0;
    const quint32 last = tagNameEnds[index];
    inOrder(attributes, count, [&](const auto& take) {
        for (quint32 i = first; i < last; ++i) {
            const quint32 start = i ? nameEnds[i - 1] : 0;
            take(QStringView(names.data() + start, qsizetype(nameEnds[i] - start)));
        }
    }, ordered);
}
