// Stream readers from arbitrary bytes, driven by an arbitrary sequence of
// reading calls. Input layout: the XML text, a NUL byte, one byte of flags
// (bit 0: noCase), then one byte per call and its arguments. Without the NUL the
// whole input is XML and the reader is walked entity by entity to the end.
#include "fuzz_support.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t handlesKept = 8;
constexpr size_t namesKept = 8;
constexpr int drainSteps = 64;

class Script {
public:
    Script(const uint8_t* data, size_t size) : bytes(data), end(data + size) {}
    bool done() const { return bytes == end; }
    uint8_t next() { return done() ? 0 : *bytes++; }

private:
    const uint8_t* bytes;
    const uint8_t* end;
};

struct Handle {
    void* entity;
    int depth;
};

class Session {
public:
    explicit Session(int documentId) : id(documentId) {}

    ~Session()
    {
        for (Handle& handle : handles)
            gen__qtxmlif_delete_node(&handle.entity);
        gen__qtxmlif_delete_node(&child);
    }

    void run(uint8_t op, Script& script)
    {
        switch (op % 14) {
        case 0: begin(script); break;
        case 1: nextEntity(false); break;
        case 2: nextEntity(true); break;
        case 3: nextChild(script); break;
        case 4: keepChild(); break;
        case 5: close(script); break;
        case 6: namedAttribute(script); break;
        case 7: attributeCount(script); break;
        case 8: nodeText(script); break;
        case 9: position(); break;
        case 10: markComplete(script); break;
        case 11: release(script); break;
        case 12: expect(gen__qtxmlif_end_traversion(id) == GEN__QTXMLIF_OK, "end traversion"); break;
        default: namedChild(script); break;
        }
    }

    void drain()
    {
        for (int step = 0; step < drainSteps; ++step)
            if (nextEntity(false) != GEN__QTXMLIF_OK)
                return;
    }

    void begin(Script& script)
    {
        void* start = nullptr;
        uint32_t code = gen__qtxmlif_begin_traversion(id, name(elements, script), &start);
        expect(code == GEN__QTXMLIF_OK || code == GEN__QTXMLIF_E_FAILED, "begin traversion", code);
        expect((code == GEN__QTXMLIF_OK) == (start != nullptr), "a start node comes with success");
        keep({start, 2});
    }

private:
    static void expect(bool holds, const char* what, uint32_t code = 0) { fuzz::require(holds, what, code); }

    static void remember(std::vector<std::string>& names, const std::string& name)
    {
        if (!name.empty() && names.size() < namesKept && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }

    // A name seen earlier in the walk, or none (null) when nothing was seen.
    static const char* name(const std::vector<std::string>& names, Script& script)
    {
        uint8_t pick = script.next();
        return pick < names.size() ? names[pick].c_str() : nullptr;
    }

    Handle* pick(Script& script)
    {
        return handles.empty() ? nullptr : &handles[script.next() % handles.size()];
    }

    void keep(Handle handle)
    {
        if (!handle.entity)
            return;
        if (handles.size() == handlesKept)
            gen__qtxmlif_delete_node(&handle.entity);
        else
            handles.push_back(handle);
    }

    void forget(Handle* handle)
    {
        handles.erase(handles.begin() + (handle - handles.data()));
    }

    uint32_t nextEntity(bool keepEntity)
    {
        int type = 0, depth = -2;
        char* entityName = nullptr;
        char* value = nullptr;
        bool isEnd = false;
        void* entity = nullptr;
        uint32_t code = gen__qtxmlif_get_next_entity_2(id, &type, &entityName, &value, &depth, &isEnd,
                                                       keepEntity ? &entity : nullptr);
        expect(code == GEN__QTXMLIF_OK || code == GEN__QTXMLIF_END_OF_DOCUMENT, "next entity", code);
        expect(entityName && value, "the walk always hands out both strings");
        expect(type == -1 || (type >= XML_ETYPE_ELEMENT && type <= XML_ETYPE_TEXT), "entity type", type);
        const std::string text = fuzz::take(entityName);
        fuzz::take(value);
        if (type == XML_ETYPE_ELEMENT)
            remember(elements, text);
        if (type == XML_ETYPE_ATTR)
            remember(attributes, text);
        keep({entity, depth});
        return code;
    }

    void nextChild(Script& script)
    {
        Handle* parent = pick(script);
        char* childName = nullptr;
        int depth = -2;
        uint32_t code =
            gen__qtxmlif_get_next_child_node_2(id, parent ? parent->entity : nullptr, &childName, &depth, &child);
        expect(code == GEN__QTXMLIF_OK || code == GEN__QTXMLIF_E_NO_SUCH_ID, "next child", code);
        expect((childName != nullptr) == (child != nullptr), "a child comes with its name");
        remember(elements, fuzz::take(childName));
        childDepth = depth;
    }

    void keepChild()
    {
        keep({child, childDepth});
        child = nullptr;
    }

    void close(Script& script)
    {
        Handle* handle = pick(script);
        if (!handle)
            return;
        int newDepth = -2;
        bool closed = false;
        // Now and then a depth that does not belong to the node.
        const uint8_t skew = script.next();
        const int depth = skew < 240 ? handle->depth : handle->depth + skew - 245;
        uint32_t code = gen__qtxmlif_close_existing_node(id, handle->entity, depth, &newDepth, &closed);
        expect(code == GEN__QTXMLIF_OK, "close existing node", code);
        if (closed)
            forget(handle);
    }

    void namedAttribute(Script& script)
    {
        Handle* handle = pick(script);
        if (!handle)
            return;
        const char* attribute = name(attributes, script);
        char* value = nullptr;
        bool found = false;
        uint32_t code =
            gen__qtxmlif_get_named_attribute1(id, handle->entity, attribute, script.next() & 1, &value, &found);
        expect(code == GEN__QTXMLIF_OK, "named attribute", code);
        expect(found == (value != nullptr), "a found attribute comes with its value");
        fuzz::take(value);
    }

    void attributeCount(Script& script)
    {
        Handle* handle = pick(script);
        if (!handle)
            return;
        int count = -1;
        uint32_t code = gen__qtxmlif_get_attribute_count(id, handle->entity, &count);
        expect(code == GEN__QTXMLIF_OK && count >= 0, "attribute count", code);
    }

    void nodeText(Script& script)
    {
        Handle* handle = pick(script);
        if (!handle)
            return;
        char* text = nullptr;
        uint32_t code = gen__qtxmlif_get_node_text(id, handle->entity, &text);
        expect(code == GEN__QTXMLIF_OK, "node text", code);
        fuzz::take(text);
    }

    void position()
    {
        int line = -2, offset = -1;
        expect(gen__qtxmlif_get_line_number(id, &line) == GEN__QTXMLIF_OK, "line number");
        expect(gen__qtxmlif_characters_offset(id, &offset) == GEN__QTXMLIF_OK, "characters offset");
    }

    void markComplete(Script& script)
    {
        if (Handle* handle = pick(script))
            gen__qtxmlif_set_node_tranversion_complete(handle->entity);
    }

    void release(Script& script)
    {
        if (Handle* handle = pick(script)) {
            gen__qtxmlif_delete_node(&handle->entity);
            forget(handle);
        }
    }

    void namedChild(Script& script)
    {
        Handle* parent = pick(script);
        const char* wanted = name(elements, script);
        void* found = nullptr;
        int depth = -2;
        uint32_t code =
            gen__qtxmlif_get_named_child_node(id, parent ? parent->entity : nullptr, wanted, &found, &depth);
        expect(!found, "a stream reader has no named children", code);
    }

    const int id;
    std::vector<Handle> handles;
    void* child = nullptr;
    int childDepth = -1;
    std::vector<std::string> elements;
    std::vector<std::string> attributes;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* split = static_cast<const uint8_t*>(memchr(data, 0, size));
    const std::string xml(reinterpret_cast<const char*>(data), split ? size_t(split - data) : size);
    Script script(split ? split + 1 : data + size, split ? size_t(data + size - split - 1) : 0);
    const bool noCase = script.next() & 1;

    int id = -1;
    uint32_t code = gen__qtxmlif_load_buff_incremental(xml.c_str(), &id, noCase);
    if (xml.empty()) {
        fuzz::require(code == GEN__QTXMLIF_E_FAILED, "an empty buffer is refused", code);
        return 0;
    }
    fuzz::require(code == GEN__QTXMLIF_OK && id > 0, "a stream reader loads any text", code);
    {
        Session session(id);
        if (!split) {
            session.begin(script);
            session.drain();
        }
        while (!script.done())
            session.run(script.next(), script);
    }
    fuzz::require(gen__qtxmlif_del_document(id) == GEN__QTXMLIF_OK, "delete");
    fuzz::requireNoDocuments();
    return 0;
}
