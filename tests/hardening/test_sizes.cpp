// Sizes far beyond everyday documents, through the file loaders: one attribute
// value of 100 MB, and one element with a million attributes. What is loaded
// must reach the caller whole.
#include "hostile.h"

#include "rururoroxmllimits.h"
#include "ruziradavod.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr qint64 bigValueBytes = 100LL * 1024 * 1024;
constexpr int manyAttributes = 1000000;

using Load = uint32_t (*)(const char*, int*);

// <r a0="0" a1="1" ... />
QByteArray wideElement(int attributes)
{
    QByteArray xml = "<r";
    xml.reserve(attributes * 16);
    for (int i = 0; i < attributes; ++i)
        xml += " a" + QByteArray::number(i) + "=\"" + QByteArray::number(i) + '"';
    return xml + "/>\n";
}

class Sizes : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::useUtf8Locale();
        recorder_reset();
    }

    // Loads `path`, begins at the document element and keeps its handle.
    void begin(Load how, const QString& path)
    {
        load = how;
        ASSERT_EQ(load(path.toUtf8().constData(), &id), GEN__QTXMLIF_OK);
        ASSERT_EQ(gen__qtxmlif_begin_traversion(id, nullptr, &start), GEN__QTXMLIF_OK);
    }

    std::string attribute(const std::string& name)
    {
        char* value = nullptr;
        bool found = false;
        EXPECT_EQ(gen__qtxmlif_get_named_attribute(id, start, name.c_str(), &value, &found), GEN__QTXMLIF_OK);
        EXPECT_TRUE(found) << name;
        std::string copy = value ? value : "";
        gen__mem_free(value, 1, __FILE__, __LINE__);
        return copy;
    }

    int attributeCount()
    {
        int count = -1;
        EXPECT_EQ(gen__qtxmlif_get_attribute_count(id, start, &count), GEN__QTXMLIF_OK);
        return count;
    }

    void TearDown() override
    {
        // A stream reader's start handle is the caller's; a DOM document keeps its own.
        if (load == gen__qtxmlif_load_incremental)
            gen__qtxmlif_delete_node(&start);
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
        EXPECT_EQ(recorder_strings_outstanding(), 0);
        EXPECT_FALSE(gen__qtxmlif_document_exist(1)) << "a document was left behind";
    }

    testsupport::ScratchDir dir;
    Load load = nullptr;
    int id = -1;
    void* start = nullptr;
};

struct Loader {
    const char* name;
    Load load;
};

class BigValue : public Sizes, public ::testing::WithParamInterface<Loader> {};

TEST_P(BigValue, BigAttributeValueArrivesWhole)
{
    const QByteArray unit = "0123456789abcdef";
    ASSERT_NO_FATAL_FAILURE(begin(GetParam().load, hostile::writeRepeated(dir, QStringLiteral("big-value.xml"),
                                                                          "<r v=\"", unit,
                                                                          bigValueBytes / unit.size(), "\"/>\n")));
    const std::string value = attribute("v");
    ASSERT_EQ(qint64(value.size()), bigValueBytes);
    EXPECT_EQ(value.find_first_not_of(unit.constData()), std::string::npos);
    EXPECT_EQ(value.compare(value.size() - unit.size(), unit.size(), unit.constData()), 0);
}

INSTANTIATE_TEST_SUITE_P(Hostile, BigValue,
                         ::testing::Values(Loader{"Dom", gen__qtxmlif_load},
                                           Loader{"Stream", gen__qtxmlif_load_incremental}),
                         [](const auto& info) { return std::string(info.param.name); });

// The stream reader holds start tags to the same limit: Qt's stream reader
// compares each attribute with all earlier ones too (hours for a million). Up
// to the limit a tag arrives whole; past it the walk ends with the reader's
// error report.
TEST_F(Sizes, BigAttributeCountIsRefusedByTheStreamReaderAboveTheLimit)
{
    const QString path = dir.write(QStringLiteral("many.xml"), wideElement(manyAttributes));
    ASSERT_EQ(gen__qtxmlif_load_incremental(path.toUtf8().constData(), &id), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_begin_traversion(id, nullptr, &start), GEN__QTXMLIF_E_FAILED);
    EXPECT_EQ(recorder_logs("WARNING"), 1);
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);

    constexpr int most = xmllimits::MaxAttributesPerElement;
    ASSERT_NO_FATAL_FAILURE(
        begin(gen__qtxmlif_load_incremental, dir.write(QStringLiteral("most.xml"), wideElement(most))));
    EXPECT_EQ(attributeCount(), most);
    EXPECT_EQ(attribute("a0"), "0");
    EXPECT_EQ(attribute("a" + std::to_string(most - 1)), std::to_string(most - 1));
}

// The DOM loaders take up to the limit and refuse more before building anything.
TEST_F(Sizes, BigAttributeCountIsRefusedByTheDomLoadersAboveTheirLimit)
{
    const QByteArray tooMany = wideElement(manyAttributes);
    const QString path = dir.write(QStringLiteral("many.xml"), tooMany);
    EXPECT_EQ(gen__qtxmlif_load(path.toUtf8().constData(), &id), GEN__QTXMLIF_E_SYNTAX);
    EXPECT_TRUE(hostile::lastErrorIsKey(82));
    EXPECT_EQ(gen__qtxmlif_load_buff(tooMany.constData(), &id, false), GEN__QTXMLIF_E_SYNTAX);
    constexpr int most = xmllimits::MaxAttributesPerElement;
    EXPECT_EQ(gen__qtxmlif_load_buff(wideElement(most + 1).constData(), &id, false), GEN__QTXMLIF_E_SYNTAX);

    ASSERT_NO_FATAL_FAILURE(begin(gen__qtxmlif_load, dir.write(QStringLiteral("most.xml"), wideElement(most))));
    EXPECT_EQ(attributeCount(), most);
    EXPECT_EQ(attribute("a0"), "0");
    EXPECT_EQ(attribute("a" + std::to_string(most - 1)), std::to_string(most - 1));
}

} // namespace
