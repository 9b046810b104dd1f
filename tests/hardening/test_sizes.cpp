// Sizes far beyond everyday documents, through both file loaders: one attribute
// value of 100 MB, and one element with a million attributes.
#include "hostile.h"

#include "rururoroxmllimits.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Load = uint32_t (*)(const char*, int*);

struct Loader {
    const char* name;
    Load load;
};

// <r a0="0" a1="1" ... />
QByteArray wideElement(int attributes)
{
    QByteArray xml = "<r";
    xml.reserve(attributes * 16);
    for (int i = 0; i < attributes; ++i)
        xml += " a" + QByteArray::number(i) + "=\"" + QByteArray::number(i) + '"';
    return xml + "/>\n";
}

class Sizes : public hostile::Test, public ::testing::WithParamInterface<Loader> {
protected:
    // Loads `path` and keeps the handle of its document element.
    void begin(const QString& path)
    {
        ASSERT_EQ(GetParam().load(path.toUtf8().constData(), &id), GEN__QTXMLIF_OK);
        ASSERT_EQ(gen__qtxmlif_begin_traversion(id, nullptr, &start), GEN__QTXMLIF_OK);
    }

    std::string attribute(const std::string& name)
    {
        char* value = nullptr;
        bool found = false;
        EXPECT_EQ(gen__qtxmlif_get_named_attribute(id, start, name.c_str(), &value, &found), GEN__QTXMLIF_OK);
        EXPECT_TRUE(found) << name;
        return testsupport::take(value);
    }

    void TearDown() override
    {
        // A stream reader's start handle is the caller's; a DOM document keeps its own.
        if (GetParam().load == gen__qtxmlif_load_incremental)
            gen__qtxmlif_delete_node(&start);
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
        EXPECT_EQ(recorder_strings_outstanding(), 0);
        hostile::Test::TearDown();
    }

    int id = -1;
    void* start = nullptr;
};

TEST_P(Sizes, BigAttributeValueArrivesWhole)
{
    const QByteArray unit = "0123456789abcdef";
    constexpr qint64 bigValueBytes = 100LL * 1024 * 1024;
    ASSERT_NO_FATAL_FAILURE(begin(hostile::writeRepeated(dir, QStringLiteral("big-value.xml"), "<r v=\"", unit,
                                                         bigValueBytes / unit.size(), "\"/>\n")));
    const std::string value = attribute("v");
    ASSERT_EQ(qint64(value.size()), bigValueBytes);
    EXPECT_EQ(value.find_first_not_of(unit.constData()), std::string::npos);
    EXPECT_EQ(value.compare(value.size() - unit.size(), unit.size(), unit.constData()), 0);
}

// Both of Qt's parsers compare each attribute with all earlier ones (hours for
// a million). The DOM loaders refuse a wider tag before building anything; the
// stream reader ends its walk with its error report.
TEST_P(Sizes, BigAttributeCountIsRefusedAboveTheLimit)
{
    constexpr int most = xmllimits::MaxAttributesPerElement;
    for (int count : {most + 1, 1000000}) {
        const QByteArray tooMany = wideElement(count);
        if (GetParam().load == gen__qtxmlif_load) {
            expectDomRefuses(tooMany);
            continue;
        }
        recorder_reset();
        ASSERT_EQ(gen__qtxmlif_load_incremental(dir.write(QStringLiteral("many.xml"), tooMany).toUtf8().constData(),
                                                &id),
                  GEN__QTXMLIF_OK);
        EXPECT_EQ(gen__qtxmlif_begin_traversion(id, nullptr, &start), GEN__QTXMLIF_E_FAILED);
        EXPECT_EQ(recorder_logs("WARNING"), 1);
        EXPECT_NE(hostile::lastLogText("WARNING").find("A start tag has more attributes than allowed (1024)."),
                  std::string::npos);
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
    }
    ASSERT_NO_FATAL_FAILURE(begin(dir.write(QStringLiteral("most.xml"), wideElement(most))));
    int count = -1;
    EXPECT_EQ(gen__qtxmlif_get_attribute_count(id, start, &count), GEN__QTXMLIF_OK);
    EXPECT_EQ(count, most);
    EXPECT_EQ(attribute("a0"), "0");
    EXPECT_EQ(attribute("a" + std::to_string(most - 1)), std::to_string(most - 1));
}

INSTANTIATE_TEST_SUITE_P(Hostile, Sizes,
                         ::testing::Values(Loader{"Dom", gen__qtxmlif_load},
                                           Loader{"Stream", gen__qtxmlif_load_incremental}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
