// Faults the fuzz targets found, each cut down to the calls that still show it.
// Inputs that a unit table of the DOM loader holds already are not repeated.
#include "hostile.h"

#include <gtest/gtest.h>

namespace {

class FuzzFindings : public hostile::Test {
protected:
    // Saves the DOM document `id`, deletes it, loads the file again and walks it.
    QStringList walkAfterSaving(int id)
    {
        const QByteArray path = dir.path(QStringLiteral("saved.xml")).toUtf8();
        EXPECT_EQ(gen__qtxmlif_save(id, path.constData()), GEN__QTXMLIF_OK);
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
        if (gen__qtxmlif_load(path.constData(), &id) != GEN__QTXMLIF_OK)
            return {QString::fromStdString(hostile::lastLogText("ERROR"))};
        const QStringList events = testsupport::walk(id);
        gen__qtxmlif_del_document(id);
        return events;
    }
};

// C0 controls other than tab, line feed and carriage return come from the host
// as they are, but XML 1.0 cannot hold them at all.
TEST_F(FuzzFindings, BuiltDomWithControlCharactersLoadsAgainAfterSaving)
{
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&id, "r"), GEN__QTXMLIF_OK);
    gen__qtxmlif_add_attr("a", "x\x0by");
    gen__qtxmlif_add_text("t\x01u");
    EXPECT_EQ(walkAfterSaving(id).value(0), QStringLiteral("1 0 r="));
}

// A UTF-7 document can hold surrogates without their other half. The host gets
// each as '?', as the save writes it, at the end of a text too.
TEST_F(FuzzFindings, UnpairedSurrogatesReachTheHostAsTheSaveWritesThem)
{
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_load_buff("<?xml version=\"1.0\" encoding=\"UTF-7\"?><r a=\"x+2AA-\">+3AA-t+2D3eANgA-</r>",
                                     &id, false),
              GEN__QTXMLIF_OK);
    const QStringList loaded = testsupport::walk(id);
    EXPECT_EQ(loaded, QStringList({"1 0 r=", "2 0 a=x?", "3 0 ?t\xf0\x9f\x98\x80?=", "1 0 r= end"})) << loaded.join('|').toStdString();
    EXPECT_EQ(walkAfterSaving(id), loaded);
}

// Text the host hands in comes back whole, a leading U+FEFF too, which a UTF-8
// decoder would drop as a byte order mark.
TEST_F(FuzzFindings, HostTextKeepsALeadingByteOrderMark)
{
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&id, "r"), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_add_attr("a", "\xef\xbb\xbfv"), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_add_text("\xef\xbb\xbft"), GEN__QTXMLIF_OK);
    const QStringList built = testsupport::walk(id);
    EXPECT_EQ(built, QStringList({"1 0 r=", "2 0 a=\xef\xbb\xbfv", "3 0 \xef\xbb\xbft=", "1 0 r= end"}));
    EXPECT_EQ(walkAfterSaving(id), built);
}

} // namespace
