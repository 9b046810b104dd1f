// The document manager: IDs, the working document, the two load paths and their
// devices, and forwarding by document kind.
#include "genqtdomdocument.h"
#include "qtxmlmanager.h"
#include "rururoroincrementalreader.h"

#include <QBuffer>
#include <QPointer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// An open device whose destruction the test can watch.
QPointer<QBuffer> openBuffer(const char* text)
{
    auto* buffer = new QBuffer;
    buffer->setData(text);
    buffer->open(QIODevice::ReadOnly | QIODevice::Text);
    return buffer;
}

// The text of the not-supported error `call` throws, or a null string.
QString refusal(const std::function<void()>& call)
{
    try {
        call();
    } catch (QString* text) {
        const QString copy = *text;
        delete text;
        return copy;
    }
    return QString();
}

// Each test has a manager of its own; its documents go with it.
class Manager : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RurUrOroDoc::counter().value(), 0u) << "documents left by another test"; }

    int create(bool incrementalWriter = false)
    {
        int docID = -1;
        EXPECT_NE(manager.createDocument(&docID, incrementalWriter, QStringLiteral("r")), nullptr);
        return docID;
    }
    int createBuffer()
    {
        int docID = -1;
        EXPECT_NE(manager.createBufferWriter(&docID, QString()), nullptr);
        return docID;
    }
    int load(const char* text, bool incremental)
    {
        int docID = -1;
        EXPECT_TRUE(manager.load(openBuffer(text), &docID, nullptr, nullptr, false, incremental));
        return docID;
    }

    QtXmlManager manager;
};

TEST_F(Manager, IdsAndTheWorkingDocumentFollowCreationAndRemoval)
{
    EXPECT_EQ(QtXmlManager::instance(), QtXmlManager::instance());
    EXPECT_EQ(QtXmlManager::instance()->getWorkingDocument(), -1);
    EXPECT_EQ(manager.getWorkingDocument(), -1);
    const int dom = create(), writer = create(true), buffer = createBuffer();
    EXPECT_EQ(QList<int>({dom, writer, buffer}), QList<int>({1, 2, 3}));
    EXPECT_EQ(manager.getWorkingDocument(), buffer);

    EXPECT_EQ(manager.removeDocument(buffer), buffer);
    EXPECT_EQ(manager.getWorkingDocument(), -1);
    EXPECT_EQ(manager.findDocument(buffer), nullptr);
    EXPECT_EQ(create(), 3);

    manager.setWorkingDocument(writer);
    EXPECT_EQ(manager.removeDocument(-1), -1);
    EXPECT_EQ(manager.removeDocument(42), -1);
    EXPECT_EQ(manager.getWorkingDocument(), writer) << "nothing removed, nothing changed";
    EXPECT_EQ(manager.removeDocument(dom), dom);
    EXPECT_EQ(manager.getWorkingDocument(), -1) << "removing a document that was not working";

    manager.setWorkingDocument(writer);
    manager.setWorkingDocument(42);
    EXPECT_EQ(manager.getWorkingDocument(), -1);
}

TEST_F(Manager, LoadPathsOwnTheirDeviceAndOnlyDomSelects)
{
    const int dom = create();
    QPointer<QBuffer> device = openBuffer("<a><b></a>");
    int reader = -1;
    ASSERT_TRUE(manager.load(device, &reader, nullptr, nullptr, false, true));
    EXPECT_NE(dynamic_cast<RurUrOroIncrementalReader*>(manager.findDocument(reader)), nullptr);
    EXPECT_EQ(manager.getWorkingDocument(), dom);
    ASSERT_FALSE(device.isNull());
    EXPECT_TRUE(device->isOpen());
    manager.removeDocument(reader);
    EXPECT_TRUE(device.isNull()) << "the reader did not release its device";

    device = openBuffer("<a x=\"1\"/>");
    int loaded = -1, line = -5, column = -5;
    ASSERT_TRUE(manager.load(device, &loaded, &line, &column, true, false));
    EXPECT_TRUE(device.isNull());
    EXPECT_EQ(manager.getWorkingDocument(), loaded);
    EXPECT_EQ(line, -5) << "positions are written only on failure";

    device = openBuffer("<a>\n<b>\n</c>");
    int failed = 7;
    EXPECT_FALSE(manager.load(device, &failed, &line, &column, false, false));
    EXPECT_TRUE(device.isNull());
    EXPECT_EQ(failed, -1);
    EXPECT_EQ(line, 3);
    EXPECT_EQ(manager.getWorkingDocument(), -1);
    EXPECT_EQ(RurUrOroDoc::counter().value(), 2u) << "the half-made document is still alive";

    EXPECT_FALSE(manager.load(nullptr, &failed, nullptr, nullptr, false, false));
}

// Reading operations select their document when it offers them, whatever they
// then answer; writing and kind-specific operations never select.
TEST_F(Manager, OnlyReadingOperationsSelectTheirDocument)
{
    const int dom = create(), writer = create(true), reader = load("<a/>", true);
    manager.setWorkingDocument(reader);
    manager.endTraversion(dom);
    EXPECT_EQ(manager.getWorkingDocument(), dom);
    EXPECT_EQ(manager.getAttributeCount(nullptr, reader), 0);
    EXPECT_EQ(manager.getWorkingDocument(), reader);

    EXPECT_EQ(manager.beginTraversion(QString(), writer), nullptr);
    EXPECT_EQ(manager.getLineNumber(writer), -1);
    EXPECT_TRUE(manager.getNodeText(nullptr, writer).isNull());
    bool more = true;
    EXPECT_FALSE(manager.elementHasMoreChildren(&more, reader));
    EXPECT_FALSE(manager.openNode(QStringLiteral("x"), reader));
    EXPECT_TRUE(manager.openNode(QStringLiteral("x"), dom));
    EXPECT_TRUE(manager.closeNode(dom));
    EXPECT_FALSE(manager.openLevel(writer));
    EXPECT_EQ(manager.charactersOffset(dom), 0);
    EXPECT_EQ(manager.topLevelNodesCount(nullptr, dom), 0);
    EXPECT_EQ(manager.getWorkingDocument(), reader);

    manager.elementHasMoreAttributes(&more, dom);
    EXPECT_EQ(manager.getWorkingDocument(), dom);
}

TEST_F(Manager, KindSpecificOperationsRefuseOtherKinds)
{
    const int dom = create(), buffer = createBuffer(), reader = load("<a><b/></a>", true);
    const QString notSupported = QStringLiteral("QtXmlManager: %1(...) is not supported for this document type.");
    manager.setWorkingDocument(dom);
    int depth = 0;
    EXPECT_EQ(manager.getNamedNode(nullptr, QStringLiteral("b"), &depth, reader), nullptr);
    EXPECT_EQ(manager.getWorkingDocument(), dom) << "a null parent is refused before the lookup";
    RurUrOroEntity start(nullptr);
    EXPECT_EQ(refusal([&] { manager.getNamedNode(&start, QStringLiteral("b"), &depth, reader); }),
              notSupported.arg(QLatin1String("getNamedNode")));
    EXPECT_EQ(manager.getWorkingDocument(), reader) << "selected before the refusal";

    EXPECT_EQ(refusal([&] { manager.documentToString(buffer); }), notSupported.arg(QLatin1String("documentToString")));
    EXPECT_EQ(refusal([&] { manager.documentToByteArray(dom); }),
              notSupported.arg(QLatin1String("documentToByteArray")));
    EXPECT_TRUE(manager.documentToString(42).isNull());
    EXPECT_TRUE(manager.documentToByteArray(42).isEmpty());
    EXPECT_EQ(manager.documentToString(dom), QStringLiteral("<r/>\n"));
    EXPECT_TRUE(manager.documentToByteArray(buffer).startsWith("<?xml"));
    EXPECT_EQ(manager.getWorkingDocument(), reader);

    QBuffer target;
    target.open(QIODevice::WriteOnly);
    EXPECT_FALSE(manager.save(&target, reader));
    EXPECT_TRUE(manager.save(&target, dom));
    EXPECT_TRUE(target.isOpen()) << "the device stays the caller's";
}

} // namespace
