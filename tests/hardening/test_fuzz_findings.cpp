// Faults the fuzz targets found, each cut down to the calls that still show it.
#include "hostile.h"

#include <gtest/gtest.h>

namespace {

// Texts and attribute values come from the host as they are; characters that
// XML 1.0 cannot hold at all (C0 controls other than tab, line feed and
// carriage return) must not make the saved document unreadable.
TEST(FuzzFindings, BuiltDomWithControlCharactersLoadsAgainAfterSaving)
{
    testsupport::useUtf8Locale();
    testsupport::ScratchDir dir;
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&id, "r"), GEN__QTXMLIF_OK);
    gen__qtxmlif_add_attr("a", "x\x0by");
    gen__qtxmlif_add_text("t\x01u");
    const QByteArray path = dir.path(QStringLiteral("saved.xml")).toUtf8();
    ASSERT_EQ(gen__qtxmlif_save(id, path.constData()), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);

    EXPECT_EQ(gen__qtxmlif_load(path.constData(), &id), GEN__QTXMLIF_OK) << hostile::lastLogText("ERROR");
    EXPECT_EQ(testsupport::walk(id).value(0), QStringLiteral("1 0 r="));
    gen__qtxmlif_del_document(id);
}

} // namespace
