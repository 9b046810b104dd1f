#include "genqtdomattributeorder.h"

#include "genqtdomnodeidentity.h"

#include <QDomNamedNodeMap>

#include <algorithm>
#include <tuple>

namespace {

bool isBlank(char32_t unit)
{
    return unit == ' ' || unit == '\t' || unit == '\n' || unit == '\r';
}

void advance(XmlTextPosition& position, std::string_view utf8)
{
    position.advance(reinterpret_cast<const uchar*>(utf8.data()), qint64(utf8.size()));
}

void advance(XmlTextPosition& position, std::u16string_view utf16)
{
    position.advance(utf16.data(), qint64(utf16.size()));
}

quint64 positionKey(int line, int column)
{
    return quint64(quint32(line)) << 32 | quint32(column);
}

// Where Qt's DOM parser places an element it reads: just after the ">" of its
// start tag, or after the "/" of an empty element's "/>".
template <typename Char>
quint64 elementKey(XmlTextPosition position, std::basic_string_view<Char> tag)
{
    const bool empty = tag.size() >= 2 && tag[tag.size() - 2] == Char('/');
    advance(position, tag.substr(0, tag.size() - (empty ? 1 : 0)));
    return positionKey(position.line, position.column);
}

// The attribute names of a start tag, "<" to ">", in the order written. A
// malformed tag gives what comes before the fault: its document will not load.
template <typename Char, typename Take>
void forEachAttributeName(std::basic_string_view<Char> tag, Take take)
{
    const size_t end = tag.size();
    size_t at = 1;
    const auto skipBlanks = [&] {
        while (at < end && isBlank(char32_t(tag[at])))
            ++at;
    };
    const auto skipName = [&] {
        while (at < end && !isBlank(char32_t(tag[at])) && tag[at] != Char('=') && tag[at] != Char('/') &&
               tag[at] != Char('>'))
            ++at;
    };
    skipName(); // the element's
    for (;;) {
        skipBlanks();
        const size_t nameStart = at;
        skipName();
        if (at == nameStart)
            return;
        const std::basic_string_view<Char> name = tag.substr(nameStart, at - nameStart);
        skipBlanks();
        if (at == end || tag[at] != Char('='))
            return;
        ++at;
        skipBlanks();
        if (at == end || (tag[at] != Char('"') && tag[at] != Char('\'')))
            return;
        const size_t closing = tag.find(tag[at], at + 1);
        if (closing == std::basic_string_view<Char>::npos)
            return;
        take(name);
        at = closing + 1;
    }
}

// Ties between equal qualified names (possible in different namespaces) are
// broken by what else tells them apart, never by the hash.
bool writtenBefore(const QDomNode& a, const QDomNode& b)
{
    return std::make_tuple(a.nodeName(), a.namespaceURI(), a.nodeValue()) <
           std::make_tuple(b.nodeName(), b.namespaceURI(), b.nodeValue());
}

// All the attributes: `named` first, in its order, then the others sorted.
// item() steps through Qt's hash from its start on every call, so this costs
// what a plain reader of Qt's DOM pays to list them; the fast path below
// avoids it whenever it can.
template <typename Names>
QVector<QDomNode> namedFirstThenSorted(const QDomNamedNodeMap& attributes, int count, const Names& named)
{
    QVector<QDomNode> all;
    all.reserve(count);
    QHash<QString, int> indexOf;
    for (int i = 0; i < count; ++i) {
        all.append(attributes.item(i));
        indexOf.insert(all.last().nodeName(), i);
    }
    QVector<QDomNode> ordered;
    ordered.reserve(count);
    QVector<bool> taken(count, false);
    named([&](const QString& name) {
        const int i = indexOf.value(name, -1);
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
    return ordered;
}

// Looks each name up in Qt's hash. That finds a prefixed attribute by its local
// name only, so a name that finds another attribute, or one that finds none,
// sends the element down the long way.
template <typename Names>
QVector<QDomNode> inOrder(const QDomNamedNodeMap& attributes, int count, const Names& named)
{
    QVector<QDomNode> ordered;
    ordered.reserve(count);
    bool found = true;
    named([&](const QString& name) {
        if (!found)
            return;
        const QDomNode attribute = attributes.namedItem(name);
        found = !attribute.isNull() && attribute.nodeName() == name;
        ordered.append(attribute);
    });
    if (found && ordered.size() == count)
        return ordered;
    return namedFirstThenSorted(attributes, count, named);
}

} // namespace

void DomAttributeOrder::startTag(const XmlTextPosition& lessThan, std::string_view utf8)
{
    recordStartTag(lessThan, utf8);
}

void DomAttributeOrder::startTag(const XmlTextPosition& lessThan, std::u16string_view utf16)
{
    recordStartTag(lessThan, utf16);
}

template <typename Char>
void DomAttributeOrder::recordStartTag(XmlTextPosition position, std::basic_string_view<Char> tag)
{
    const quint64 key = elementKey(position, tag);
    if (!tagKeys.empty() && key <= tagKeys.back())
        return; // only a malformed document could go back; the search needs them ascending
    forEachAttributeName(tag, [this](auto name) { appendName(name); });
    tagKeys.push_back(key);
    tagNameEnds.push_back(quint32(nameEnds.size()));
}

void DomAttributeOrder::appendName(std::string_view utf8)
{
    const bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return uchar(c) < 0x80; });
    if (ascii)
        names.append(QLatin1String(utf8.data(), int(utf8.size())));
    else
        names.append(QString::fromUtf8(utf8.data(), int(utf8.size())));
    nameEnds.push_back(quint32(names.size()));
}

void DomAttributeOrder::appendName(std::u16string_view utf16)
{
    names.append(reinterpret_cast<const QChar*>(utf16.data()), int(utf16.size()));
    nameEnds.push_back(quint32(names.size()));
}

void DomAttributeOrder::loaded()
{
    tagKeys.shrink_to_fit();
    tagNameEnds.shrink_to_fit();
    nameEnds.shrink_to_fit();
    names.squeeze();
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
        QStringList names;
        for (const QDomNode& attribute : attributesOf(element))
            names.append(attribute.nodeName());
        entry = added.insert(domNodeIdentity(element), Added{element, names});
    }
    if (!entry->names.contains(name))
        entry->names.append(name);
}

QVector<QDomNode> DomAttributeOrder::attributesOf(const QDomElement& element) const
{
    const QDomNamedNodeMap attributes = element.attributes();
    const int count = attributes.count();
    if (count < 2)
        return count ? QVector<QDomNode>{attributes.item(0)} : QVector<QDomNode>();
    const auto entry = added.isEmpty() ? added.cend() : added.constFind(domNodeIdentity(element));
    if (entry != added.cend()) {
        return inOrder(attributes, count, [&](const auto& take) {
            for (const QString& name : entry->names)
                take(name);
        });
    }
    const int line = element.lineNumber();
    const auto tag = line < 1 ? tagKeys.cend()
                              : std::lower_bound(tagKeys.cbegin(), tagKeys.cend(),
                                                 positionKey(line, element.columnNumber()));
    if (tag == tagKeys.cend() || *tag != positionKey(line, element.columnNumber()))
        return namedFirstThenSorted(attributes, count, [](const auto&) {});
    const size_t index = size_t(tag - tagKeys.cbegin());
    const quint32 first = index ? tagNameEnds[index - 1] : 0;
    const quint32 last = tagNameEnds[index];
    return inOrder(attributes, count, [&](const auto& take) {
        QString name; // a view into `names`, made once and moved along
        for (quint32 i = first; i < last; ++i) {
            const quint32 start = i ? nameEnds[i - 1] : 0;
            name.setRawData(names.constData() + start, int(nameEnds[i] - start));
            take(name);
        }
    });
}
