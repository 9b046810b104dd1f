// Walking and querying through the C interface: how walks end, children and
// handles, unknown IDs, absent pointers, and operations of other document kinds.
#include "test_load_support.h"

#include <QFileInfo>

namespace {

using namespace testsupport;

// Each call as "status type depth name=value", " end" for an element end and
// " +" when an entity came back, which is then released.
std::string walkCalls(int doc, int calls)
{
    std::string events;
    while (calls-- > 0) {
        int type = 0, depth = 0;
        bool end = false;
        char *name = nullptr, *value = nullptr;
        void* entity = nullptr;
        const uint32_t status = gen__qtxmlif_get_next_entity_2(doc, &type, &name, &value, &depth, &end, &entity);
        events += std::to_string(status) + ' ' + std::to_string(type) + ' ' + std::to_string(depth) + ' ' +
                  take(name) + '=' + take(value) + (end ? " end" : "") + (entity ? " +" : "") + (calls ? " | " : "");
        gen__qtxmlif_delete_node(&entity);
    }
    return events;
}

void* startOf(int doc)
{
    void* start = nullptr;
    EXPECT_EQ(gen__qtxmlif_begin_traversion(doc, "", &start), GEN__QTXMLIF_OK);
    return start;
}

using Walk = HostTest;

// A DOM walk hands out the end of the document element with the end marker,
// then only empty strings; a stream walk ends an element without type or name.
TEST_F(Walk, EachKindOfWalkEndsItsOwnWay)
{
    const int dom = loadBuffer("<a x=\"1\">hi<b/></a>", false);
    const int stream = loadBuffer("<a x=\"1\"><b>t</b><c/></a>", true);
    startOf(dom);
    EXPECT_EQ(walkCalls(dom, 8), "0 1 0 a= + | 0 2 0 x=1 + | 0 3 0 hi= + | 0 1 1 b= + | 0 1 1 b= end + | "
                                 "14608 1 0 a= end | 14608 -1 -1 = | 14608 -1 -1 =");
    void* start = startOf(stream);
    EXPECT_EQ(walkCalls(stream, 6), "0 1 2 a= + | 0 2 2 x=1 + | 0 1 3 b= + | 0 3 3 t= + | 14608 -1 3 = end | "
                                    "14608 -1 2 = end");
    gen__qtxmlif_delete_node(&start);
    EXPECT_EQ(records(), "");
    gen__qtxmlif_del_document(dom);
    gen__qtxmlif_del_document(stream);
}

// The named child is the direct one of that name; a DOM node closes where it
// stands. (The C host goes through the children.)
TEST_F(Walk, NamedChildOfADomNode)
{
    const int doc = loadBuffer("<r><a><b/></a><b k=\"1\"/></r>", false);
    void *start = startOf(doc), *child = nullptr;
    int depth = 0, count = 0;
    bool closed = false;
    EXPECT_EQ(gen__qtxmlif_get_named_child_node(doc, start, "b", &child, &depth), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_get_attribute_count(doc, child, &count), GEN__QTXMLIF_OK);
    EXPECT_TRUE(depth == 1 && count == 1) << "not the nested <b/>";
    EXPECT_EQ(gen__qtxmlif_close_existing_node(doc, child, 5, &depth, &closed), GEN__QTXMLIF_OK);
    EXPECT_TRUE(closed && depth == 5);
    EXPECT_EQ(records(), "");
    gen__qtxmlif_del_document(doc);
}

// An unknown ID: each reading call logs its own not-found key after the optional
// out-parameters took their presets (a held child released first); required ones
// stay untouched. A writer answers with failure values and logs nothing. Handles
// of 1001 pass the pointer test and must never be read.
TEST_F(Walk, ReadingCallsOnUnknownIdsAndOnWriters)
{
    const int dom = loadBuffer("<r><a/></r>", false);
    void *const start = startOf(dom), *const fake = reinterpret_cast<void*>(1001);
    const auto readAll = [&](int doc) {
        char *name = nullptr, *value = nullptr, *childName = nullptr, *attribute = nullptr, *text = nullptr;
        char* const mine = reinterpret_cast<char*>(&doc);
        name = value = childName = attribute = text = mine;
        void *handle = mine, *child = nullptr;
        gen__qtxmlif_get_named_child_node(dom, start, "a", &child, nullptr);
        int type = 7, depth = 7, childDepth = 7, newDepth = 7, count = 7, line = 7, top = 7, offset = 7;
        bool end = true, closed = true, found = true;
        recorder_reset();
        const uint32_t statuses[] = {
            gen__qtxmlif_begin_traversion(doc, "r", &handle),
            gen__qtxmlif_get_next_entity(doc, &type, &name, &value, &depth, &end),
            gen__qtxmlif_end_traversion(doc),
            gen__qtxmlif_get_next_child_node_2(doc, fake, &childName, &childDepth, &child),
            gen__qtxmlif_close_existing_node(doc, fake, 5, &newDepth, &closed),
            gen__qtxmlif_get_named_attribute1(doc, fake, "x", true, &attribute, &found),
            gen__qtxmlif_get_attribute_count(doc, fake, &count),
            gen__qtxmlif_get_node_text(doc, fake, &text),
            gen__qtxmlif_get_line_number(doc, &line),
            gen__qtxmlif_top_level_nodes_count(doc, fake, &top),
            gen__qtxmlif_characters_offset(doc, &offset),
        };
        std::string result;
        for (uint32_t status : statuses)
            result += std::to_string(status) + ' ';
        const auto show = [mine](char* string) { return string == mine ? "kept" : take(string); };
        return result + "| " + (handle ? "start" : "no start") + " | " + std::to_string(type) + ' ' +
               std::to_string(depth) + ' ' + show(name) + '=' + show(value) + (end ? " end" : "") + " | " +
               show(childName) + ' ' + std::to_string(childDepth) + (child ? " child" : "") + " | " +
               std::to_string(newDepth) + (closed ? " closed" : "") + " | " + show(attribute) +
               (found ? " found" : "") + " | " + std::to_string(count) + " | " + show(text) + " | " +
               std::to_string(line) + " | " + std::to_string(top) + " | " + std::to_string(offset);
    };
    int writer = -1, buffer = -1;
    ASSERT_EQ(gen__qtxmlif_add_document_incremental(&writer, "w"), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_add_document_to_encrypt(&buffer, "b"), GEN__QTXMLIF_OK);
    EXPECT_EQ(readAll(4242), "14606 14606 14606 14606 14606 14606 14606 14606 14606 14606 14606 | no start | "
                             "-1 -1 <null>=<null> | <null> -1 | -1 | <null> | 7 | kept | 7 | 0 | 0");
    std::string keys;
    for (int key : {450, 509, 577, 668, 704, 800, 828, 848, 872, 913, 934})
        keys += (keys.empty() ? "" : " | ") + std::to_string(key) + ": XML document ID 4242 not found";
    EXPECT_EQ(records(), keys);
    for (int docID : {writer, buffer}) {
        EXPECT_EQ(readAll(docID), "14601 14608 0 0 0 0 0 0 0 0 0 | no start | -1 -1 = | <null> -1 | 5 | <null> | "
                                  "0 | <null> | -1 | 0 | 0");
        EXPECT_EQ(records(), "");
    }
    for (int docID : {buffer, writer, dom})
        gen__qtxmlif_del_document(docID);
}

// A required pointer of 1000 or less is a broken contract: reported, nothing
// written. Optional ones take nothing, yet the call does its work: the walk
// moves on, and handles nobody can receive are released inside.
TEST_F(Walk, PointersOf1000OrLessAreAbsent)
{
    const int dom = loadBuffer("<r k=\"v\"><a/><b/></r>", false), stream = loadBuffer("<a><b/></a>", true);
    void *start = startOf(dom), *child = nullptr, *const absent = reinterpret_cast<void*>(1000);
    int *const noInt = static_cast<int*>(absent), count = 77;
    char **const noText = static_cast<char**>(absent), *text = reinterpret_cast<char*>(&count);
    bool* const noFlag = static_cast<bool*>(absent);
    void** const noHandle = static_cast<void**>(absent);
    bool found = true;
    const auto report = [](const char* condition, const char* source) {
        return "(((ullong)(" + std::string(condition) + ") @" + source + " | sound";
    };
    const long made = recorder_strings_made();
    expectEach({
        {[&] { return gen__qtxmlif_get_named_attribute_nocase(dom, absent, "k", &text, &found); }, 14601,
         report("node_ptr) > 1000)", "query")},
        {[&] { return gen__qtxmlif_get_node_text(dom, nullptr, &text); }, 14601, report("node_ptr) > 1000)", "query")},
        {[&] { return gen__qtxmlif_get_attribute_count(dom, absent, &count); }, 14601,
         report("node_ptr) > 1000) && ((ullong)(count) > 1000)", "query")},
        {[&] { return gen__qtxmlif_get_attribute_count(dom, start, noInt); }, 14601,
         report("node_ptr) > 1000) && ((ullong)(count) > 1000)", "query")},
        {[&] { return gen__qtxmlif_get_node_text(dom, start, noText); }, 14601, report("text) > 1000)", "query")},
        {[&] { return gen__qtxmlif_get_line_number(dom, noInt); }, 14601, report("lineNumber) > 1000)", "query")},
        {[&] { return gen__qtxmlif_get_buff_to_encrypt(dom, noText, &count); }, 14601,
         report("buf_p) > 1000) && ((ullong)(buf_len_p) > 1000)", "documents")},
        {[&] { return gen__qtxmlif_get_buff_to_encrypt(dom, &text, nullptr); }, 14601,
         report("buf_p) > 1000) && ((ullong)(buf_len_p) > 1000)", "documents")},
        {[&] { return gen__qtxmlif_doc_to_string(dom, static_cast<QString*>(absent)); }, 14601,
         report("qstring_ptr) > 1000)", "documents"),
         [&] { return count == 77 && found && text == reinterpret_cast<char*>(&count); }},
        {[&] { return gen__qtxmlif_begin_traversion(stream, "", noHandle); }, 0, ""},
        {[&] { return gen__qtxmlif_get_next_entity_2(stream, noInt, noText, noText, noInt, noFlag, noHandle); }, 0, ""},
        {[&] { return gen__qtxmlif_get_next_entity_2(stream, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); },
         0, ""},
        {[&] { return gen__qtxmlif_get_next_entity(stream, noInt, nullptr, noText, nullptr, noFlag); }, 14608, ""},
        {[&] { return gen__qtxmlif_get_next_child_node_2(dom, start, noText, noInt, noHandle); }, 0, ""},
        {[&] { return gen__qtxmlif_get_next_child_node_2(dom, start, &text, nullptr, &child); }, 0, "",
         [&] { return take(text) == "b"; }},
        {[&] { return gen__qtxmlif_get_named_child_node(dom, start, "a", noHandle, &count); }, 0, "",
         [&] { return count == 1; }},
        {[&] { return gen__qtxmlif_close_existing_node(dom, child, 1, noInt, noFlag); }, 0, ""},
        {[&] { return gen__qtxmlif_get_named_attribute(dom, start, "k", noText, &found); }, 0, "",
         [&] { return found; }},
        {[&] { return gen__qtxmlif_get_named_attribute(dom, start, "k", &text, noFlag); }, 0, "",
         [&] { return take(text) == "v"; }},
        {[&] {
             gen__qtxmlif_delete_node(noHandle);
             gen__qtxmlif_delete_node(nullptr);
             return gen__qtxmlif_characters_offset(dom, noInt) | gen__qtxmlif_set_node_tranversion_complete(nullptr) |
                    gen__qtxmlif_set_node_tranversion_complete(absent);
         },
         0, ""},
    });
    EXPECT_EQ(recorder_strings_made(), made + 2);
    gen__qtxmlif_del_document(dom);
    gen__qtxmlif_del_document(stream);
}

// Another kind refuses by throwing: the refusal's text is reported, the presets
// kept, nothing let out. The named-child lookup releases the held handle first
// and selects its document before it refuses. A reader made working by a reading
// call refuses building.
TEST_F(Walk, KindSpecificOperations)
{
    int blank = -1, writer = -1, buffer = -1, length = 5, depth = 0;
    const int dom = loadBuffer("<d><a/></d>", false);
    void *domStart = startOf(dom), *child = nullptr;
    const auto held = [&] {
        void* handle = nullptr;
        return gen__qtxmlif_get_named_child_node(dom, domStart, "a", &handle, nullptr), handle;
    };
    ASSERT_EQ(gen__qtxmlif_add_document(&blank, "d"), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_add_document_incremental(&writer, "w"), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_add_document_to_encrypt(&buffer, "b"), GEN__QTXMLIF_OK);
    const int reader = loadBuffer("<r><a/></r>", true);
    void* start = startOf(reader);
    char *bytes = nullptr, *const mine = reinterpret_cast<char*>(&length);
    QString text;
    ScratchDir scratch;
    const QString path = scratch.path(QStringLiteral("never.xml"));
    const std::string refused = "(result == true) @build | sound";
    const auto notSupported = [](const char* operation, const char* source) {
        return "(QtXmlManager: " + std::string(operation) + "(...) is not supported for this document type.) @" +
               source + " | sound";
    };
    const auto notFound = [](int key) { return std::to_string(key) + ": XML document ID 4242 not found"; };
    const auto named = [&](int docID, const char* name) {
        return [&, docID, name] {
            child = held();
            gen__qtxmlif_set_working_document(blank);
            return gen__qtxmlif_get_named_child_node(docID, start, name, &child, &(depth = 0));
        };
    };
    const auto toString = [&](int docID) {
        return [&, docID] { return gen__qtxmlif_doc_to_string(docID, &(text = QStringLiteral("mine"))); };
    };
    const auto byteArray = [&](int docID) {
        return [&, docID] { return gen__qtxmlif_get_buff_to_encrypt(docID, &(bytes = mine), &(length = 5)); };
    };
    const auto childPresets = [&] { return !child && depth == -1; };
    const auto textKept = [&] { return text == QLatin1String("mine"); };
    const auto bytesPresets = [&] { return !bytes && length == 0; };
    std::vector<Expectation> rows = {
        {[] { return gen__qtxmlif_open_node("n"); }, 14601, refused},
        {[] { return gen__qtxmlif_add_attr("a", "v"); }, 14601, refused},
        {[] { return gen__qtxmlif_add_text("t"); }, 14601, refused},
        {gen__qtxmlif_close_node, 14601, refused},
        {[&] { return gen__qtxmlif_top_level_nodes_count(reader, start, &depth); }, 0, "", [&] { return depth == 0; }},
        {[&] { return gen__qtxmlif_save(4242, path.toUtf8().constData()); }, 14606, notFound(183),
         [&] { return !QFileInfo::exists(path); }},
        {byteArray(4242), 14606, notFound(219), bytesPresets},
        {byteArray(dom), 14601, notSupported("documentToByteArray", "documents"), bytesPresets},
        {byteArray(reader), 14601, notSupported("documentToByteArray", "documents"), bytesPresets},
        {named(4242, "a"), 14606, notFound(731), childPresets},
        {named(4242, ""), 0, "", childPresets},
        {toString(4242), 14606, notFound(891), textKept},
    };
    for (int docID : {reader, writer, buffer}) {
        rows.insert(rows.end(), {{named(docID, "a"), 14601, notSupported("getNamedNode", "walk"), childPresets},
                                 {gen__qtxmlif_open_level, 14601, refused},
                                 {toString(docID), 14601, notSupported("documentToString", "documents"), textKept}});
    }
    const long outstanding = recorder_strings_outstanding();
    expectEach(rows);
    EXPECT_EQ(recorder_strings_outstanding(), outstanding);
    gen__qtxmlif_delete_node(&start);
    for (int docID : {reader, buffer, writer, blank, dom})
        gen__qtxmlif_del_document(docID);
}

} // namespace
