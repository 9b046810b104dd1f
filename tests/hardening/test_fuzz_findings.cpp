// Faults the fuzz targets found, each cut down to the calls that still show it.
#include "hostile.h"

#include <gtest/gtest.h>

namespace {

class FuzzFindings : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::useUtf8Locale();
        recorder_reset();
    }
    void TearDown() override { EXPECT_FALSE(gen__qtxmlif_document_exist(1)) << "a document was left behind"; }

    // Saves the DOM document `id`, deletes it and loads the file again.
    uint32_t saveAndReload(int id, int* reloaded)
    {
        const QByteArray path = dir.path(QStringLiteral("saved.xml")).toUtf8();
        EXPECT_EQ(gen__qtxmlif_save(id, path.constData()), GEN__QTXMLIF_OK);
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
        return gen__qtxmlif_load(path.constData(), reloaded);
    }

    testsupport::ScratchDir dir;
};

// Texts and attribute values come from the host as they are; characters that
// XML 1.0 cannot hold at all (C0 controls other than tab, line feed and
// carriage return) must not make the saved document unreadable.
TEST_F(FuzzFindings, BuiltDomWithControlCharactersLoadsAgainAfterSaving)
{
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&id, "r"), GEN__QTXMLIF_OK);
    gen__qtxmlif_add_attr("a", "x\x0by");
    gen__qtxmlif_add_text("t\x01u");
    EXPECT_EQ(saveAndReload(id, &id), GEN__QTXMLIF_OK) << hostile::lastLogText("ERROR");
    EXPECT_EQ(testsupport::walk(id).value(0), QStringLiteral("1 0 r="));
    gen__qtxmlif_del_document(id);
}

// A document the DOM loaders accept must give the same entities once saved and
// loaded again; refusing it at load is just as good.
struct Case {
    const char* name;
    const char* xml;
};

class LoadedDom : public FuzzFindings, public ::testing::WithParamInterface<Case> {};

TEST_P(LoadedDom, GivesTheSameEntitiesAfterSavingAndLoading)
{
    int id = -1;
    if (gen__qtxmlif_load_buff(GetParam().xml, &id, false) != GEN__QTXMLIF_OK)
        return;
    const QStringList loaded = testsupport::walk(id);
    ASSERT_EQ(saveAndReload(id, &id), GEN__QTXMLIF_OK) << hostile::lastLogText("ERROR");
    EXPECT_EQ(testsupport::walk(id), loaded);
    gen__qtxmlif_del_document(id);
}

// Qt's stream reader takes a processing instruction target that is no XML name
// when nothing follows it, and C0 control characters inside attribute names; a
// target comes back with a blank after it, which the same reader refuses, a
// name would come back changed.
INSTANTIATE_TEST_SUITE_P(FuzzFindings, LoadedDom,
                         ::testing::Values(Case{"OddInstructionTarget", "<?pi`?><r/>"},
                                           Case{"ControlCharacterInAttributeName", "<r i\x0c=\"1\" j\x1bk=\"2\"/>"},
                                           Case{"NonAsciiInstructionTarget", "<r><?a\xef\xbb\xbf" "b?></r>"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
