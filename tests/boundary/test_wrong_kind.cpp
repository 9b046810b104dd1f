// Operations asked of a document kind that does not offer them, and pointer
// arguments of 1000 or less, which count as absent.
#include "test_walk_host.h"

#include <QString>
#include <functional>

namespace {

using host::reported;
using host::Text;

void* const someHandle = reinterpret_cast<void*>(1001); // passes the pointer test; never read through
int* const noInt = reinterpret_cast<int*>(1000);
char** const noText = reinterpret_cast<char**>(1000);
bool* const noFlag = reinterpret_cast<bool*>(1000);
void** const noHandle = reinterpret_cast<void**>(1000);

QString textOf(int doc)
{
    QString text;
    EXPECT_EQ(gen__qtxmlif_doc_to_string(doc, &text), GEN__QTXMLIF_OK);
    return text;
}

// One of the six building calls, with arguments that pass the string checks.
const std::function<uint32_t()> buildingCalls[] = {
    [] { return gen__qtxmlif_open_node("n"); },     [] { return gen__qtxmlif_add_attr("a", "v"); },
    [] { return gen__qtxmlif_add_text("t"); },      [] { return gen__qtxmlif_close_node(); },
    [] { return gen__qtxmlif_close_level(); },      [] { return gen__qtxmlif_open_level(); },
};

struct WriterKind {
    const char* name;
    host::Create create;
};

std::ostream& operator<<(std::ostream& out, const WriterKind& kind)
{
    return out << kind.name;
}

class WrongKind : public host::HostTest {};
class WriterReads : public WrongKind, public ::testing::WithParamInterface<WriterKind> {};

// Every reading operation fails with its failure value, writes its presets, logs
// nothing and leaves the working document where it was.
TEST_P(WriterReads, FailQuietlyAndKeepTheWorkingDocument)
{
    const int writer = host::create(GetParam().create);
    const int dom = host::create(gen__qtxmlif_add_document);
    void* handle = &handle;
    Text name, value;
    int type = 0, depth = 0, number = 0;
    bool flag = true;
    EXPECT_EQ(gen__qtxmlif_begin_traversion(writer, nullptr, &handle), GEN__QTXMLIF_E_FAILED);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(gen__qtxmlif_get_next_entity(writer, &type, name.out(), value.out(), &depth, &flag),
              GEN__QTXMLIF_END_OF_DOCUMENT);
    EXPECT_TRUE(type == -1 && depth == -1 && !flag && name.str().empty() && value.str().empty());
    EXPECT_EQ(gen__qtxmlif_get_next_child_node_2(writer, someHandle, name.out(), &depth, &handle), GEN__QTXMLIF_OK);
    EXPECT_TRUE(handle == nullptr && name.isNull() && depth == -1);
    EXPECT_EQ(gen__qtxmlif_close_existing_node(writer, someHandle, 5, &depth, &flag), GEN__QTXMLIF_OK);
    EXPECT_TRUE(!flag && depth == 5);
    flag = true;
    EXPECT_EQ(gen__qtxmlif_get_named_attribute(writer, someHandle, "a", value.out(), &flag), GEN__QTXMLIF_OK);
    EXPECT_TRUE(!flag && value.isNull());
    number = 9;
    EXPECT_EQ(gen__qtxmlif_get_attribute_count(writer, someHandle, &number), GEN__QTXMLIF_OK);
    EXPECT_EQ(number, 0);
    EXPECT_EQ(gen__qtxmlif_get_node_text(writer, someHandle, name.out()), GEN__QTXMLIF_OK);
    EXPECT_TRUE(name.isNull());
    EXPECT_EQ(gen__qtxmlif_get_line_number(writer, &number), GEN__QTXMLIF_OK);
    EXPECT_EQ(number, -1);
    EXPECT_EQ(gen__qtxmlif_characters_offset(writer, &number), GEN__QTXMLIF_OK);
    EXPECT_EQ(number, 0);
    EXPECT_EQ(gen__qtxmlif_end_traversion(writer), GEN__QTXMLIF_OK);
    EXPECT_EQ(recorder_logs(nullptr), 0);

    EXPECT_EQ(gen__qtxmlif_open_node("here"), GEN__QTXMLIF_OK);
    EXPECT_TRUE(textOf(dom).contains(QLatin1String("<here/>")));
    gen__qtxmlif_del_document(dom);
    gen__qtxmlif_del_document(writer);
}

// The named-child lookup is the manager's own and DOM-only: it makes the writer
// the working document, then refuses, and the refusal becomes a report.
TEST_P(WriterReads, NamedChildAndOpenLevelAreRefused)
{
    const int writer = host::create(GetParam().create);
    void* child = nullptr;
    int depth = 0;
    EXPECT_EQ(gen__qtxmlif_get_named_child_node(writer, someHandle, "a", &child, &depth), GEN__QTXMLIF_E_FAILED);
    EXPECT_TRUE(reported("QtXmlManager: getNamedNode(...) is not supported for this document type.", host::walkSource));
    EXPECT_TRUE(child == nullptr && depth == -1);
    EXPECT_EQ(gen__qtxmlif_open_level(), GEN__QTXMLIF_E_FAILED);
    EXPECT_TRUE(reported("result == true", host::buildSource));
    QString untouched = QStringLiteral("mine");
    EXPECT_EQ(gen__qtxmlif_doc_to_string(writer, &untouched), GEN__QTXMLIF_E_FAILED);
    EXPECT_TRUE(reported("QtXmlManager: documentToString(...) is not supported for this document type.",
                             host::documentsSource));
    EXPECT_EQ(untouched, QStringLiteral("mine"));
    gen__qtxmlif_del_document(writer);
}

INSTANTIATE_TEST_SUITE_P(BothWriters, WriterReads,
                         ::testing::Values(WriterKind{"FileWriter", gen__qtxmlif_add_document_incremental},
                                           WriterKind{"BufferWriter", gen__qtxmlif_add_document_to_encrypt}),
                         [](const auto& info) { return std::string(info.param.name); });

// A reading call on the reader makes it the working document; from then on every
// building call is refused by it.
TEST_F(WrongKind, ReaderRefusesBuildingOnceItIsTheWorkingDocument)
{
    const int dom = host::create(gen__qtxmlif_add_document);
    const int reader = host::loadStream("<r><a/></r>");
    EXPECT_EQ(gen__qtxmlif_open_node("intoTheDom"), GEN__QTXMLIF_OK);
    int line = 0;
    EXPECT_EQ(gen__qtxmlif_get_line_number(reader, &line), GEN__QTXMLIF_OK);
    for (const auto& call : buildingCalls) {
        const int before = recorder_count();
        EXPECT_EQ(call(), GEN__QTXMLIF_E_FAILED);
        EXPECT_TRUE(reported("result == true", host::buildSource));
        EXPECT_EQ(recorder_count(), before + 2);
    }
    EXPECT_TRUE(textOf(dom).contains(QLatin1String("<intoTheDom/>")));

    void *start = nullptr, *child = nullptr;
    int depth = 0, count = 7;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(reader, nullptr, &start), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_top_level_nodes_count(reader, start, &count), GEN__QTXMLIF_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(gen__qtxmlif_get_named_child_node(reader, start, "a", &child, &depth), GEN__QTXMLIF_E_FAILED);
    EXPECT_TRUE(reported("QtXmlManager: getNamedNode(...) is not supported for this document type.", host::walkSource));
    EXPECT_TRUE(child == nullptr && depth == -1);
    char* bytes = reinterpret_cast<char*>(&line);
    int length = 5;
    EXPECT_EQ(gen__qtxmlif_get_buff_to_encrypt(reader, &bytes, &length), GEN__QTXMLIF_E_FAILED);
    EXPECT_TRUE(reported("QtXmlManager: documentToByteArray(...) is not supported for this document type.",
                             host::documentsSource));
    EXPECT_TRUE(bytes == nullptr && length == 0);
    gen__qtxmlif_delete_node(&start);
    gen__qtxmlif_del_document(reader);
    gen__qtxmlif_del_document(dom);
}

class PlausiblePointers : public host::HostTest {};

// Absent out-parameters take nothing, yet the call does its work: the walk
// moves on, and handles nobody can receive are released inside.
TEST_F(PlausiblePointers, AbsentResultsAreNotWrittenButTheWorkIsDone)
{
    const long made = recorder_strings_made();
    const int stream = host::loadStream("<a><b/></a>");
    EXPECT_EQ(gen__qtxmlif_begin_traversion(stream, "", noHandle), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_get_next_entity_2(stream, noInt, noText, noText, noInt, noFlag, noHandle), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_get_next_entity_2(stream, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              GEN__QTXMLIF_OK); // b
    EXPECT_EQ(gen__qtxmlif_get_next_entity(stream, noInt, nullptr, noText, nullptr, noFlag),
              GEN__QTXMLIF_END_OF_DOCUMENT);
    EXPECT_EQ(recorder_strings_made(), made);

    const int dom = host::loadDom("<r k=\"v\"><a/><b/></r>");
    void *start = nullptr, *child = nullptr;
    Text name, value;
    int depth = 0, offset = 0;
    bool found = false;
    EXPECT_EQ(gen__qtxmlif_begin_traversion(dom, nullptr, noHandle), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_begin_traversion(dom, nullptr, &start), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_get_next_child_node_2(dom, start, noText, noInt, noHandle), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_get_next_child_node_2(dom, start, name.out(), nullptr, &child), GEN__QTXMLIF_OK);
    EXPECT_EQ(name.str(), "b");
    EXPECT_EQ(gen__qtxmlif_get_named_child_node(dom, start, "a", noHandle, &depth), GEN__QTXMLIF_OK);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(gen__qtxmlif_close_existing_node(dom, child, 1, noInt, noFlag), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_get_named_attribute(dom, start, "k", noText, &found), GEN__QTXMLIF_OK);
    EXPECT_TRUE(found);
    EXPECT_EQ(gen__qtxmlif_get_named_attribute(dom, start, "k", value.out(), noFlag), GEN__QTXMLIF_OK);
    EXPECT_EQ(value.str(), "v");
    EXPECT_EQ(gen__qtxmlif_characters_offset(dom, noInt), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_characters_offset(dom, &offset), GEN__QTXMLIF_OK);
    EXPECT_EQ(recorder_strings_made(), made + 2);
    EXPECT_EQ(recorder_logs(nullptr), 0);
    gen__qtxmlif_del_document(dom);
    gen__qtxmlif_del_document(stream);
}

} // namespace
