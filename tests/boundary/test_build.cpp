// Building through the C interface: the order of the checks, name
// normalisation, refusals, and which document the building calls reach.
#include "test_walk_host.h"

#include <QString>
#include <functional>

namespace {

using host::reported;

QString textOf(int doc)
{
    QString text;
    EXPECT_EQ(gen__qtxmlif_doc_to_string(doc, &text), GEN__QTXMLIF_OK);
    return text;
}

class Building : public host::HostTest {};

TEST_F(Building, EmptyStringsAreReportedBeforeTheMissingWorkingDocument)
{
    gen__qtxmlif_del_document(host::create(gen__qtxmlif_add_document)); // working document now -1
    const struct {
        std::function<uint32_t()> call;
        uint32_t status;
        const char* condition;
    } cases[] = {
        {[] { return gen__qtxmlif_open_node(nullptr); }, 14601, "!((node_name) ? (node_name)[0]=='\\0' : 1)"},
        {[] { return gen__qtxmlif_open_node(""); }, 14601, "!((node_name) ? (node_name)[0]=='\\0' : 1)"},
        {[] { return gen__qtxmlif_add_attr("", "v"); }, 14601, "!((attr_name) ? (attr_name)[0]=='\\0' : 1)"},
        {[] { return gen__qtxmlif_add_attr(nullptr, "v"); }, 14601, "!((attr_name) ? (attr_name)[0]=='\\0' : 1)"},
        {[] { return gen__qtxmlif_add_text(""); }, 14601, "!((text_val) ? (text_val)[0]=='\\0' : 1)"},
        {[] { return gen__qtxmlif_add_text(nullptr); }, 14601, "!((text_val) ? (text_val)[0]=='\\0' : 1)"},
        {[] { return gen__qtxmlif_open_node(" "); }, 14603, "xmlManager.documentExist( doc_id )"},
        {[] { return gen__qtxmlif_close_node(); }, 14603, "xmlManager.documentExist( doc_id )"},
        {[] { return gen__qtxmlif_add_attr("a", nullptr); }, 14603, "xmlManager.documentExist( doc_id )"},
        {[] { return gen__qtxmlif_add_text(" "); }, 14603, "xmlManager.documentExist( doc_id )"},
        {[] { return gen__qtxmlif_open_level(); }, 14603, "xmlManager.documentExist( doc_id )"},
        {[] { return gen__qtxmlif_close_level(); }, 14603, "xmlManager.documentExist( doc_id )"},
    };
    for (const auto& c : cases) {
        const int before = recorder_count();
        EXPECT_EQ(c.call(), c.status) << c.condition;
        EXPECT_TRUE(reported(c.condition, host::buildSource));
        EXPECT_EQ(recorder_count(), before + 2) << "one report and one sound, nothing else";
    }
}

TEST_F(Building, NodeNamesLoseOuterWhiteSpaceAndJoinInnerBlanks)
{
    const int doc = host::create(gen__qtxmlif_add_document);
    EXPECT_EQ(gen__qtxmlif_open_node(" \t two words  "), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_node("tab\there"), GEN__QTXMLIF_OK);
    EXPECT_EQ(textOf(doc), QStringLiteral("<r>\n  <two_words>\n    <tab\there/>\n  </two_words>\n</r>\n"));

    // Blanks only pass the empty-string test and reach the document as no name.
    EXPECT_EQ(gen__qtxmlif_open_node("   "), GEN__QTXMLIF_E_FAILED);
    EXPECT_TRUE(reported("result == true", host::buildSource));
    gen__qtxmlif_del_document(doc);
}

TEST_F(Building, AttributeValuesMayBeNullOrEmptyAndTextGoesInUnchanged)
{
    const int doc = host::create(gen__qtxmlif_add_document);
    EXPECT_EQ(gen__qtxmlif_add_attr("a", nullptr), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_add_attr("b", ""), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_add_text(" x  y "), GEN__QTXMLIF_OK);
    const QString text = textOf(doc);
    EXPECT_TRUE(text.contains(QLatin1String("a=\"\"")) && text.contains(QLatin1String("b=\"\""))) << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String("> x  y </r>"))) << text.toStdString();
    EXPECT_EQ(recorder_logs("INTERNAL"), 0);
    gen__qtxmlif_del_document(doc);
}

// Both closing functions climb one level and refuse at the top, keeping what
// was built.
TEST_F(Building, CloseNodeAndCloseLevelBehaveAlike)
{
    for (auto close : {gen__qtxmlif_close_node, gen__qtxmlif_close_level}) {
        const int doc = host::create(gen__qtxmlif_add_document);
        EXPECT_EQ(gen__qtxmlif_open_node("a"), GEN__QTXMLIF_OK);
        EXPECT_EQ(gen__qtxmlif_open_node("b"), GEN__QTXMLIF_OK);
        EXPECT_EQ(close(), GEN__QTXMLIF_OK);
        EXPECT_EQ(close(), GEN__QTXMLIF_OK);
        EXPECT_EQ(close(), GEN__QTXMLIF_E_FAILED);
        EXPECT_TRUE(reported("result == true", host::buildSource));
        EXPECT_EQ(textOf(doc), QStringLiteral("<r>\n  <a>\n    <b/>\n  </a>\n</r>\n"));
        gen__qtxmlif_del_document(doc);
    }
}

// Creating or selecting a document and every reading call choose where
// building goes; writing calls and the character offset do not.
TEST_F(Building, GoesIntoTheDocumentLastCreatedSelectedOrRead)
{
    const int first = host::create(gen__qtxmlif_add_document, "first");
    const int second = host::create(gen__qtxmlif_add_document, "second");
    int line = 0, offset = 0;
    EXPECT_EQ(gen__qtxmlif_open_node("a"), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_set_working_document(first), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_node("b"), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_get_line_number(second, &line), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_characters_offset(first, &offset), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_node("c"), GEN__QTXMLIF_OK);
    EXPECT_EQ(textOf(first), QStringLiteral("<first>\n  <b/>\n</first>\n"));
    EXPECT_EQ(textOf(second), QStringLiteral("<second>\n  <a>\n    <c/>\n  </a>\n</second>\n"));
    gen__qtxmlif_del_document(first);
    gen__qtxmlif_del_document(second);
}

} // namespace
