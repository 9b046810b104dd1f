// Walking and querying through the C interface: the events and end markers of
// both kinds of walk, child iteration and lookup, handle release, the presets
// and messages for unknown IDs, and the reports for missing required pointers.
#include "test_walk_host.h"

#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using host::reported;
using host::Text;

// status, type, name, value, depth, is_end_element, whether an entity came back
using Event = std::tuple<uint32_t, int, std::string, std::string, int, bool, bool>;

Event next(int doc)
{
    int type = 0, depth = 0;
    bool end = false;
    Text name, value;
    void* entity = nullptr;
    const uint32_t status = gen__qtxmlif_get_next_entity_2(doc, &type, name.out(), value.out(), &depth, &end, &entity);
    const Event event{status, type, name.str(), value.str(), depth, end, entity != nullptr};
    gen__qtxmlif_delete_node(&entity);
    return event;
}

std::vector<Event> walk(int doc, int calls)
{
    std::vector<Event> events;
    while (calls-- > 0)
        events.push_back(next(doc));
    return events;
}

class Walk : public host::HostTest {};

TEST_F(Walk, DomWalkDeliversTheLastEndWithTheEndMarkerThenOnlyEmptyStrings)
{
    const int doc = host::loadDom("<a x=\"1\">hi<b/></a>");
    void* start = nullptr;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(doc, "", &start), GEN__QTXMLIF_OK);
    EXPECT_NE(start, nullptr);
    const std::vector<Event> expected = {
        {0, 1, "a", "", 0, false, true},          {0, 2, "x", "1", 0, false, true},
        {0, 3, "hi", "", 0, false, true},         {0, 1, "b", "", 1, false, true},
        {0, 1, "b", "", 1, true, true},           {14608, 1, "a", "", 0, true, false},
        {14608, -1, "", "", -1, false, false},    {14608, -1, "", "", -1, false, false},
    };
    EXPECT_EQ(walk(doc, 8), expected);
    EXPECT_EQ(gen__qtxmlif_end_traversion(doc), GEN__QTXMLIF_OK);
    EXPECT_EQ(recorder_logs(nullptr), 0);
    gen__qtxmlif_del_document(doc);
}

TEST_F(Walk, StreamWalkEndsAnElementWithoutTypeOrName)
{
    const int doc = host::loadStream("<a x=\"1\"><b>t</b><c/></a>");
    void* start = nullptr;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(doc, nullptr, &start), GEN__QTXMLIF_OK);
    const std::vector<Event> expected = {
        {0, 1, "a", "", 2, false, true},         {0, 2, "x", "1", 2, false, true},
        {0, 1, "b", "", 3, false, true},         {0, 3, "t", "", 3, false, true},
        {14608, -1, "", "", 3, true, false},     {14608, -1, "", "", 2, true, false},
    };
    EXPECT_EQ(walk(doc, 6), expected);
    gen__qtxmlif_delete_node(&start);
    EXPECT_EQ(start, nullptr);
    gen__qtxmlif_del_document(doc);
}

TEST_F(Walk, DomChildrenAreIteratedInOrderSkippingTextUntilNone)
{
    const int doc = host::loadDom("<r><a/>text<b/><!--c--><d/></r>");
    void *start = nullptr, *child = nullptr;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(doc, nullptr, &start), GEN__QTXMLIF_OK);
    std::vector<std::string> names;
    for (int i = 0; i < 6; ++i) {
        Text name;
        int depth = 0;
        EXPECT_EQ(gen__qtxmlif_get_next_child_node_2(doc, start, name.out(), &depth, &child), GEN__QTXMLIF_OK);
        EXPECT_EQ(name.isNull(), child == nullptr);
        EXPECT_EQ(depth, child ? 1 : -1);
        names.push_back(name.str());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "#comment", "d", "<null>", "<null>"}));
    gen__qtxmlif_end_traversion(doc);
    gen__qtxmlif_del_document(doc);
}

TEST_F(Walk, NamedChildIsADirectChildOfThatExactName)
{
    const int doc = host::loadDom("<r><a><b/></a><b k=\"1\"/></r>");
    void *start = nullptr, *child = nullptr;
    int depth = 0;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(doc, nullptr, &start), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_get_named_child_node(doc, start, "b", &child, &depth), GEN__QTXMLIF_OK);
    EXPECT_EQ(depth, 1);
    Text value;
    bool found = false;
    EXPECT_EQ(gen__qtxmlif_get_named_attribute(doc, child, "k", value.out(), &found), GEN__QTXMLIF_OK);
    EXPECT_TRUE(found);
    EXPECT_EQ(value.str(), "1");
    EXPECT_EQ(gen__qtxmlif_get_named_child_node(doc, start, "B", &child, &depth), GEN__QTXMLIF_OK);
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(depth, -1);
    EXPECT_EQ(gen__qtxmlif_get_named_child_node(doc, nullptr, "a", &child, &depth), GEN__QTXMLIF_OK);
    EXPECT_EQ(child, nullptr);
    gen__qtxmlif_del_document(doc);
}

// The variable's handle goes before anything else, also for an unknown ID or an
// empty name, and nothing is logged for the empty name.
TEST_F(Walk, ChildFunctionsReleaseTheHandleTheyAreGivenFirst)
{
    const int doc = host::loadDom("<r><a/></r>");
    void *start = nullptr, *child = nullptr;
    int depth = 0;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(doc, nullptr, &start), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_get_named_child_node(doc, start, "a", &child, &depth), GEN__QTXMLIF_OK);
    ASSERT_NE(child, nullptr);
    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_get_named_child_node(-7, start, "", &child, &depth), GEN__QTXMLIF_OK);
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(recorder_count(), 0);

    ASSERT_EQ(gen__qtxmlif_get_next_child_node(doc, start, nullptr, &child), GEN__QTXMLIF_OK);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(gen__qtxmlif_get_next_child_node(-7, start, nullptr, &child), GEN__QTXMLIF_E_NO_SUCH_ID);
    EXPECT_EQ(child, nullptr);
    gen__qtxmlif_del_document(doc);
}

TEST_F(Walk, ClosingADomNodeReleasesItAndLeavesTheDepth)
{
    const int doc = host::loadDom("<r><a/></r>");
    void *start = nullptr, *child = nullptr;
    int depth = 0;
    bool closed = false;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(doc, nullptr, &start), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_get_next_child_node(doc, start, nullptr, &child), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_close_existing_node(doc, child, 5, &depth, &closed), GEN__QTXMLIF_OK);
    EXPECT_TRUE(closed);
    EXPECT_EQ(depth, 5);
    // No handle is nothing to close: done at once.
    EXPECT_EQ(gen__qtxmlif_close_existing_node(doc, nullptr, 1, &depth, &closed), GEN__QTXMLIF_OK);
    EXPECT_TRUE(closed);
    gen__qtxmlif_del_document(doc);
}

TEST_F(Walk, ClosingAStreamNodeSkipsToItsEnd)
{
    const int doc = host::loadStream("<r><a><x/><y>t</y></a><b/></r>");
    void *start = nullptr, *child = nullptr;
    Text name;
    int depth = 0, newDepth = 0;
    bool closed = false;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(doc, nullptr, &start), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_get_next_child_node_2(doc, start, name.out(), &depth, &child), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_close_existing_node(doc, child, depth, &newDepth, &closed), GEN__QTXMLIF_OK);
    EXPECT_TRUE(closed);
    EXPECT_EQ(newDepth, depth - 1);
    child = nullptr; // released by the close
    ASSERT_EQ(gen__qtxmlif_get_next_child_node(doc, start, name.out(), &child), GEN__QTXMLIF_OK);
    EXPECT_EQ(name.str(), "b");

    // A node marked complete is closed without reading on.
    ASSERT_EQ(gen__qtxmlif_set_node_tranversion_complete(child), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_close_existing_node(doc, child, 99, &newDepth, &closed), GEN__QTXMLIF_OK);
    EXPECT_TRUE(closed);
    EXPECT_EQ(newDepth, 99);
    gen__qtxmlif_delete_node(&start);
    gen__qtxmlif_del_document(doc);
}

TEST_F(Walk, HandleFunctionsIgnoreNothingToActOn)
{
    void* none = nullptr;
    gen__qtxmlif_delete_node(&none);
    gen__qtxmlif_delete_node(nullptr);
    gen__qtxmlif_delete_node(reinterpret_cast<void**>(1000));
    EXPECT_EQ(gen__qtxmlif_set_node_tranversion_complete(nullptr), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_set_node_tranversion_complete(reinterpret_cast<void*>(1000)), GEN__QTXMLIF_OK);
    EXPECT_EQ(recorder_count(), 0);
}

TEST_F(Walk, AttributeNamesMatchExactlyOrIgnoringCase)
{
    const int doc = host::loadDom("<r Id=\"7\" b=\"\"/>");
    void* start = nullptr;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(doc, nullptr, &start), GEN__QTXMLIF_OK);
    const struct {
        uint32_t (*call)(int, void*, const char*, char**, bool*);
        const char* name;
        bool found;
        const char* value;
    } cases[] = {
        {gen__qtxmlif_get_named_attribute, "Id", true, "7"},
        {gen__qtxmlif_get_named_attribute, "ID", false, "<null>"},
        {gen__qtxmlif_get_named_attribute_nocase, "ID", true, "7"},
        {gen__qtxmlif_get_named_attribute_nocase, nullptr, false, "<null>"},
        {gen__qtxmlif_get_named_attribute, "b", true, ""},
    };
    for (const auto& c : cases) {
        Text value;
        bool found = !c.found;
        EXPECT_EQ(c.call(doc, start, c.name, value.out(), &found), GEN__QTXMLIF_OK);
        EXPECT_EQ(found, c.found) << (c.name ? c.name : "null");
        EXPECT_EQ(value.str(), c.value);
    }
    int count = 0;
    EXPECT_EQ(gen__qtxmlif_get_attribute_count(doc, start, &count), GEN__QTXMLIF_OK);
    EXPECT_EQ(count, 2);
    gen__qtxmlif_del_document(doc);
}

TEST_F(Walk, TextsLineNumbersAndOffsetsComeFromTheDocument)
{
    const int dom = host::loadDom("<r>\n<!--note-->\n<a/></r>");
    void *start = nullptr, *child = nullptr;
    Text text;
    int line = 0, offset = -1;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(dom, nullptr, &start), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_get_next_child_node(dom, start, nullptr, &child), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_get_node_text(dom, child, text.out()), GEN__QTXMLIF_OK);
    EXPECT_EQ(text.str(), "note");
    EXPECT_EQ(gen__qtxmlif_get_line_number(dom, &line), GEN__QTXMLIF_OK);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(gen__qtxmlif_characters_offset(dom, &offset), GEN__QTXMLIF_OK);
    EXPECT_EQ(offset, 0);
    gen__qtxmlif_delete_node(&child);

    const int stream = host::loadStream("<r>\n<a>one</a><b/></r>");
    ASSERT_EQ(gen__qtxmlif_begin_traversion(stream, nullptr, &start), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_get_next_child_node(stream, start, nullptr, &child), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_get_line_number(stream, &line), GEN__QTXMLIF_OK);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(gen__qtxmlif_get_node_text(stream, child, text.out()), GEN__QTXMLIF_OK);
    EXPECT_EQ(text.str(), "one");
    EXPECT_EQ(gen__qtxmlif_characters_offset(stream, &offset), GEN__QTXMLIF_OK);
    EXPECT_EQ(offset, 14); // just past </a>
    ASSERT_EQ(gen__qtxmlif_get_next_child_node(stream, start, nullptr, &child), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_get_node_text(stream, child, text.out()), GEN__QTXMLIF_OK);
    EXPECT_TRUE(text.isNull()) << "an empty text is no string";
    gen__qtxmlif_delete_node(&child);
    gen__qtxmlif_delete_node(&start);
    gen__qtxmlif_del_document(dom);
    gen__qtxmlif_del_document(stream);
}

// Each function's not-found key; optional out-parameters keep their presets and
// the targets of required ones are not touched.
TEST_F(Walk, UnknownIdsAreLoggedWithEachFunctionsKey)
{
    const int doc = host::loadDom("<r/>");
    void* start = nullptr;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(doc, nullptr, &start), GEN__QTXMLIF_OK);
    const int unknown = 4242;
    int number = 77, depth = 77, type = 77;
    bool flag = true;
    void* handle = &number;
    Text name, value;
    const auto none = [] { return true; };
    const struct {
        int key;
        std::function<uint32_t()> call;
        std::function<bool()> presetsKept;
    } cases[] = {
        {450, [&] { return gen__qtxmlif_begin_traversion(unknown, "r", &handle); }, [&] { return !handle; }},
        {509, [&] { return gen__qtxmlif_get_next_entity(unknown, &type, name.out(), value.out(), &depth, &flag); },
         [&] { return type == -1 && depth == -1 && !flag && name.isNull() && value.isNull(); }},
        {577, [&] { return gen__qtxmlif_end_traversion(unknown); }, none},
        {668, [&] { return gen__qtxmlif_get_next_child_node_2(unknown, start, name.out(), &depth, nullptr); },
         [&] { return depth == -1 && name.isNull(); }},
        {731, [&] { return gen__qtxmlif_get_named_child_node(unknown, start, "x", nullptr, &depth); },
         [&] { return depth == -1; }},
        {704, [&] { return gen__qtxmlif_close_existing_node(unknown, nullptr, 3, &depth, &flag); },
         [&] { return depth == -1 && !flag; }},
        {800, [&] { return gen__qtxmlif_get_named_attribute1(unknown, start, "x", true, value.out(), &flag); },
         [&] { return value.isNull() && !flag; }},
        {828, [&] { return gen__qtxmlif_get_attribute_count(unknown, start, &number); }, [&] { return number == 77; }},
        {848, [&] { return gen__qtxmlif_get_node_text(unknown, start, reinterpret_cast<char**>(&handle)); },
         [&] { return handle == &number; }},
        {872, [&] { return gen__qtxmlif_get_line_number(unknown, &number); }, [&] { return number == 77; }},
        {934, [&] { return gen__qtxmlif_characters_offset(unknown, &depth); }, [&] { return depth == 0; }},
    };
    for (const auto& c : cases) {
        type = depth = 77;
        flag = true;
        handle = &number;
        EXPECT_EQ(c.call(), GEN__QTXMLIF_E_NO_SUCH_ID) << c.key;
        EXPECT_TRUE(host::notFoundLogged(c.key, unknown));
        EXPECT_TRUE(c.presetsKept()) << c.key;
    }
    EXPECT_EQ(number, 77);
    EXPECT_EQ(recorder_logs("INTERNAL"), 0);
    gen__qtxmlif_del_document(doc);
}

TEST_F(Walk, MissingRequiredPointersAreReportedAndNothingIsWritten)
{
    const int doc = host::loadDom("<r a=\"1\"/>");
    void* start = nullptr;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(doc, nullptr, &start), GEN__QTXMLIF_OK);
    void* const absent = reinterpret_cast<void*>(1000);
    int count = 77;
    bool found = true;
    char* untouched = reinterpret_cast<char*>(&count);
    const char* const node = "((ullong)(node_ptr) > 1000)";
    const char* const both = "((ullong)(node_ptr) > 1000) && ((ullong)(count) > 1000)";
    const struct {
        const char* condition;
        std::function<uint32_t()> call;
    } cases[] = {
        {node, [&] { return gen__qtxmlif_get_named_attribute(doc, nullptr, "a", &untouched, &found); }},
        {node, [&] { return gen__qtxmlif_get_named_attribute_nocase(doc, absent, "a", &untouched, &found); }},
        {both, [&] { return gen__qtxmlif_get_attribute_count(doc, absent, &count); }},
        {both, [&] { return gen__qtxmlif_get_attribute_count(doc, start, nullptr); }},
        {both, [&] { return gen__qtxmlif_get_attribute_count(doc, start, static_cast<int*>(absent)); }},
        {node, [&] { return gen__qtxmlif_get_node_text(doc, nullptr, &untouched); }},
        {"((ullong)(text) > 1000)", [&] { return gen__qtxmlif_get_node_text(doc, start, nullptr); }},
        {"((ullong)(text) > 1000)",
         [&] { return gen__qtxmlif_get_node_text(doc, start, static_cast<char**>(absent)); }},
        {"((ullong)(lineNumber) > 1000)", [&] { return gen__qtxmlif_get_line_number(doc, nullptr); }},
        {"((ullong)(lineNumber) > 1000)",
         [&] { return gen__qtxmlif_get_line_number(doc, static_cast<int*>(absent)); }},
    };
    for (const auto& c : cases) {
        const int before = recorder_count();
        EXPECT_EQ(c.call(), GEN__QTXMLIF_E_FAILED) << c.condition;
        EXPECT_TRUE(reported(c.condition, host::querySource));
        EXPECT_EQ(recorder_count(), before + 2);
    }
    EXPECT_TRUE(count == 77 && found && untouched == reinterpret_cast<char*>(&count));
    gen__qtxmlif_del_document(doc);
}

} // namespace
