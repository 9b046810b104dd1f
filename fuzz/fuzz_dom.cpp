// DOM documents from arbitrary bytes: load, walk every entity, iterate the
// children and look them up by name, query attributes and texts, save, and load
// what was saved. A document that is well-formed XML with namespaces must load
// again with the same entities, except that a save writes U+FFFD for each
// character XML cannot carry. One that only Qt's lenient DOM parser reads
// (undeclared prefixes, doubled colons) has names that Qt's save cannot spell,
// so its saved form is not held to that.
#include "fuzz_support.h"

#include <QString>
#include <QXmlStreamReader>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A walk that goes on longer than any input of the fuzzer's size could justify
// does not end.
constexpr int stepLimit = 1 << 16;
// Names remembered for lookups; more only repeat the same paths.
constexpr size_t namesKept = 12;

struct Event {
    int type;
    std::string name;
    std::string value;
    int depth;
    bool end;
    bool operator<(const Event& other) const
    {
        return std::tie(type, name, value, depth, end)
               < std::tie(other.type, other.name, other.value, other.depth, other.end);
    }
    bool operator==(const Event& other) const
    {
        return !(*this < other) && !(other < *this);
    }
};

struct Names {
    std::set<std::string> elements;
    std::set<std::string> attributes;

    static void keep(std::set<std::string>& names, const std::string& name)
    {
        if (names.size() < namesKept)
            names.insert(name);
    }
};

void queryAttributes(int id, void* node, const Names& names)
{
    int count = -1;
    uint32_t code = gen__qtxmlif_get_attribute_count(id, node, &count);
    fuzz::require(code == GEN__QTXMLIF_OK && count >= 0, "attribute count", code);
    for (const std::string& name : names.attributes) {
        for (bool noCase : {false, true}) {
            char* value = nullptr;
            bool found = false;
            code = gen__qtxmlif_get_named_attribute1(id, node, name.c_str(), noCase, &value, &found);
            fuzz::require(code == GEN__QTXMLIF_OK, "named attribute", code);
            fuzz::require(found == (value != nullptr), "a found attribute comes with its value");
            fuzz::take(value);
        }
    }
    char* text = nullptr;
    code = gen__qtxmlif_get_node_text(id, node, &text);
    fuzz::require(code == GEN__QTXMLIF_OK, "node text", code);
    fuzz::take(text);
}

// What a save makes of a name or value: control characters other than tab,
// line feed and carriage return, and U+FFFE and U+FFFF become U+FFFD.
std::string asSaved(const std::string& text)
{
    QString characters = QString::fromUtf8(text.data(), int(text.size()));
    // fromUtf8 drops a leading byte order mark, which here is a character.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        characters.prepend(QChar(0xFEFF));
    for (QChar& c : characters) {
        const ushort u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF)
            c = QChar::ReplacementCharacter;
    }
    return characters.toUtf8().toStdString();
}

std::vector<Event> asSaved(std::vector<Event> events)
{
    for (Event& event : events) {
        event.name = asSaved(event.name);
        event.value = asSaved(event.value);
    }
    return events;
}

std::vector<Event> walkEntities(int id, Names& names)
{
    std::vector<Event> events;
    void* start = nullptr;
    uint32_t code = gen__qtxmlif_begin_traversion(id, nullptr, &start);
    fuzz::require(code == GEN__QTXMLIF_OK && start, "a loaded document gives a start node", code);
    for (int step = 0;; ++step) {
        fuzz::require(step < stepLimit, "the entity walk does not end");
        Event event{};
        char* name = nullptr;
        char* value = nullptr;
        void* entity = nullptr;
        code = gen__qtxmlif_get_next_entity_2(id, &event.type, &name, &value, &event.depth, &event.end, &entity);
        fuzz::require(name && value, "the walk always hands out both strings", code);
        event.name = fuzz::take(name);
        event.value = fuzz::take(value);
        if (entity) {
            queryAttributes(id, entity, names);
            gen__qtxmlif_delete_node(&entity);
        }
        if (event.type == XML_ETYPE_ELEMENT && !event.end)
            Names::keep(names.elements, event.name);
        if (event.type == XML_ETYPE_ATTR)
            Names::keep(names.attributes, event.name);
        events.push_back(std::move(event));
        if (code == GEN__QTXMLIF_END_OF_DOCUMENT)
            break;
        fuzz::require(code == GEN__QTXMLIF_OK, "next entity", code);
    }
    fuzz::require(gen__qtxmlif_end_traversion(id) == GEN__QTXMLIF_OK, "end traversion");
    return events;
}

void lookUpChildren(int id, void* parent, const Names& names)
{
    for (const std::string& name : names.elements) {
        void* child = nullptr;
        int depth = -2;
        uint32_t code = gen__qtxmlif_get_named_child_node(id, parent, name.c_str(), &child, &depth);
        fuzz::require(code == GEN__QTXMLIF_OK, "named child", code);
        fuzz::require((child != nullptr) == (depth >= 0), "a named child comes with its depth");
        gen__qtxmlif_delete_node(&child);
    }
}

// Depth first through every child, each level holding its own child variable,
// which the next call on that level releases.
void iterateChildren(int id, const Names& names)
{
    struct Level {
        void* parent;
        void* child;
    };
    void* start = nullptr;
    uint32_t code = gen__qtxmlif_begin_traversion(id, nullptr, &start);
    fuzz::require(code == GEN__QTXMLIF_OK && start, "the second walk gives a start node", code);
    lookUpChildren(id, start, names);
    std::vector<Level> levels{{start, nullptr}};
    for (int step = 0; !levels.empty(); ++step) {
        fuzz::require(step < stepLimit, "the child iteration does not end");
        Level& level = levels.back();
        char* name = nullptr;
        int depth = -2;
        code = gen__qtxmlif_get_next_child_node_2(id, level.parent, &name, &depth, &level.child);
        fuzz::require(code == GEN__QTXMLIF_OK, "next child", code);
        fuzz::require((name != nullptr) == (level.child != nullptr), "a child comes with its name");
        fuzz::take(name);
        if (!level.child) {
            levels.pop_back();
            continue;
        }
        void* child = level.child;
        queryAttributes(id, child, names);
        lookUpChildren(id, child, names);
        levels.push_back({child, nullptr});
    }
    int count = -1;
    code = gen__qtxmlif_top_level_nodes_count(id, start, &count);
    fuzz::require(code == GEN__QTXMLIF_OK && count >= 0, "top level nodes", code);
    fuzz::require(gen__qtxmlif_end_traversion(id) == GEN__QTXMLIF_OK, "end traversion");
}

void queryDocument(int id)
{
    int line = -2;
    uint32_t code = gen__qtxmlif_get_line_number(id, &line);
    fuzz::require(code == GEN__QTXMLIF_OK, "line number", code);
    int offset = -1;
    code = gen__qtxmlif_characters_offset(id, &offset);
    fuzz::require(code == GEN__QTXMLIF_OK && offset == 0, "a DOM document has no character offset", code);
    QString text;
    code = gen__qtxmlif_doc_to_string(id, &text);
    fuzz::require(code == GEN__QTXMLIF_OK, "document to string", code);
}

bool isNamespaceWellFormed(const std::string& text)
{
    QXmlStreamReader reader(QByteArray::fromRawData(text.data(), int(text.size())));
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The loader reads up to the first NUL: the input's own NULs cut it short.
    const std::string buffer(reinterpret_cast<const char*>(data), size);
    int id = -1;
    uint32_t code = gen__qtxmlif_load_buff(buffer.c_str(), &id, false);
    if (code != GEN__QTXMLIF_OK) {
        fuzz::require(code == GEN__QTXMLIF_E_SYNTAX || (code == GEN__QTXMLIF_E_FAILED && buffer.c_str()[0] == '\0'),
                      "a refused buffer gives the syntax status", code);
        fuzz::require(id == -1 || buffer.c_str()[0] == '\0', "a refused buffer gives no ID");
        fuzz::requireNoDocuments();
        return 0;
    }

    Names names;
    std::vector<Event> loaded = walkEntities(id, names);
    iterateChildren(id, names);
    queryDocument(id);

    const std::string& saved = fuzz::scratchPath("saved.xml");
    code = gen__qtxmlif_save(id, saved.c_str());
    fuzz::require(code == GEN__QTXMLIF_OK, "save", code);
    fuzz::require(gen__qtxmlif_del_document(id) == GEN__QTXMLIF_OK, "delete");
    if (!isNamespaceWellFormed(buffer.c_str())) {
        fuzz::requireNoDocuments();
        return 0;
    }

    int reloadedId = -1;
    code = gen__qtxmlif_load(saved.c_str(), &reloadedId);
    fuzz::require(code == GEN__QTXMLIF_OK, "a saved document loads again", code);
    Names unused;
    const std::vector<Event> reloaded = walkEntities(reloadedId, unused);
    fuzz::require(reloaded == asSaved(loaded), "save and reload kept every entity");
    fuzz::require(gen__qtxmlif_del_document(reloadedId) == GEN__QTXMLIF_OK, "delete the reloaded document");
    fuzz::requireNoDocuments();
    return 0;
}
