// Sizes far beyond everyday documents: a million levels, a million attributes,
// a value of 100 MB. The loaders' own limits have unit tests; here each kind of
// refusal is followed once to what the host sees.
#include "hostile.h"

#include "rururoroinputlimits.h"

#include <gtest/gtest.h>

namespace {

using Sizes = hostile::Test;

// Refused at the name of the first start tag past the limit, without building anything.
TEST_F(Sizes, BigNestingIsRefusedByBothDomLoaders)
{
    const int column = 3 * inputlimits::MaxElementNesting + 2;
    expectDomRefuses(QByteArray("<d>").repeated(1000000) + QByteArray("</d>").repeated(1000000),
                     "line 1, column " + std::to_string(column) + ".\n");
}

// The stream reader refuses the document element itself: the walk cannot begin.
TEST_F(Sizes, BigAttributeCountLeavesTheStreamReaderNothingToBeginWith)
{
    const QString path = hostile::writeRepeated(dir, QStringLiteral("many.xml"), "<r", " a=\"1\"", 1000000, "/>");
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_load_incremental(path.toUtf8().constData(), &id), GEN__QTXMLIF_OK);
    recorder_reset();
    void* start = &id;
    EXPECT_EQ(gen__qtxmlif_begin_traversion(id, nullptr, &start), GEN__QTXMLIF_E_FAILED);
    EXPECT_EQ(start, nullptr);
    EXPECT_EQ(recorder_logs("WARNING"), 1);
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
}

TEST_F(Sizes, BigAttributeValueArrivesWholeThroughBothFileLoaders)
{
    const QByteArray unit = "0123456789abcdef";
    constexpr qint64 bigValueBytes = 100LL * 1024 * 1024;
    const QByteArray path = hostile::writeRepeated(dir, QStringLiteral("big-value.xml"), "<r v=\"", unit,
                                                   bigValueBytes / unit.size(), "\"/>\n")
                                .toUtf8();
    for (auto load : {gen__qtxmlif_load, gen__qtxmlif_load_incremental}) {
        int id = -1;
        void* start = nullptr;
        ASSERT_EQ(load(path.constData(), &id), GEN__QTXMLIF_OK);
        ASSERT_EQ(gen__qtxmlif_begin_traversion(id, nullptr, &start), GEN__QTXMLIF_OK);
        char* value = nullptr;
        bool found = false;
        EXPECT_EQ(gen__qtxmlif_get_named_attribute(id, start, "v", &value, &found), GEN__QTXMLIF_OK);
        EXPECT_TRUE(found);
        const std::string text = testsupport::take(value);
        ASSERT_EQ(qint64(text.size()), bigValueBytes);
        EXPECT_EQ(text.find_first_not_of(unit.constData()), std::string::npos);
        EXPECT_EQ(text.compare(text.size() - unit.size(), unit.size(), unit.constData()), 0);
        // A stream reader's start handle is the caller's; a DOM document keeps its own.
        if (load == gen__qtxmlif_load_incremental)
            gen__qtxmlif_delete_node(&start);
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
        EXPECT_EQ(recorder_strings_outstanding(), 0);
    }
}

} // namespace
