// Paths that are not plain files: an input that is a directory or a FIFO nobody
// writes to; destinations in a missing directory, behind links, that are devices,
// FIFOs or sockets, or on a full file system; no usable temporary directory.
#include "hostile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Paths = hostile::Test;

// They exist, so "not found" would mislead; the loaders must answer, not wait.
TEST_F(Paths, DirectoryAndFifoAreRefusedByBothLoadersWithoutWaiting)
{
    const QString directory = dir.path(QStringLiteral("a-directory"));
    const QString fifo = dir.path(QStringLiteral("a-fifo"));
    ASSERT_TRUE(QDir().mkdir(directory));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {directory, fifo}) {
        for (auto load : {gen__qtxmlif_load, gen__qtxmlif_load_incremental}) {
            int id = 0;
            recorder_reset();
            EXPECT_EQ(load(path.toUtf8().constData(), &id), GEN__QTXMLIF_E_OPEN_FAILED);
            EXPECT_EQ(id, -1);
            EXPECT_EQ(testsupport::records(), "71: Unable to open document: " + path.toStdString() + " | trace @load");
        }
    }
}

using Create = uint32_t (*)(int*, const char*);

int build(Create create)
{
    int id = -1;
    EXPECT_EQ(create(&id, "kept"), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_node("child"), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_add_text("text"), GEN__QTXMLIF_OK);
    return id;
}

class Destinations : public Paths, public ::testing::WithParamInterface<std::pair<const char*, Create>> {};

// A refused save loses nothing: the document still saves elsewhere.
TEST_P(Destinations, MissingDirectoryRefusesTheSaveAndLosesNothing)
{
    const int id = build(GetParam().second);
    const QByteArray missing = dir.path(QStringLiteral("missing/out.xml")).toUtf8();
    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_save(id, missing.constData()), GEN__QTXMLIF_E_SAVE_FAILED);
    EXPECT_EQ(testsupport::records(), "188: Unable to open file for saving : " + missing.toStdString());

    QFile good(dir.path(QStringLiteral("out.xml")));
    EXPECT_EQ(gen__qtxmlif_save(id, QFile::encodeName(good.fileName()).constData()), GEN__QTXMLIF_OK);
    QByteArray saved;
    if (GetParam().second == gen__qtxmlif_add_document_to_encrypt) {
        // A buffer writer keeps its text in memory; saving only ends it.
        char* bytes = nullptr;
        int length = 0;
        ASSERT_EQ(gen__qtxmlif_get_buff_to_encrypt(id, &bytes, &length), GEN__QTXMLIF_OK);
        saved = QByteArray(bytes, length);
    } else if (good.open(QIODevice::ReadOnly)) {
        saved = good.readAll();
    }
    EXPECT_TRUE(saved.contains("<kept>") && saved.contains("text</child>")) << saved.constData();
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
}

INSTANTIATE_TEST_SUITE_P(Hostile, Destinations,
                         ::testing::Values(std::make_pair("Dom", gen__qtxmlif_add_document),
                                           std::make_pair("FileWriter", gen__qtxmlif_add_document_incremental),
                                           std::make_pair("BufferWriter", gen__qtxmlif_add_document_to_encrypt)),
                         [](const auto& info) { return std::string(info.param.first); });

std::string saveFailed(const QByteArray& destination)
{
    return "194: error saving XML document: " + destination.toStdString();
}

// A 64 KiB file system mounted on `directory` for as long as it lives.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const QString& directory)
        : directory(QFile::encodeName(directory)),
          mounted(QDir().mkdir(directory) && ::mount("tmpfs", this->directory.constData(), "tmpfs", 0, "size=64k") == 0)
    {
    }
    ~SmallFileSystem()
    {
        if (mounted)
            ::umount2(directory.constData(), MNT_DETACH);
    }
    const QByteArray directory;
    const bool mounted;
};

// The file writer needs a temporary file for its save, and all of its text in
// it; without either the save fails with message 194 and leaves no destination.
TEST_F(Paths, FileWriterSaveFailsCleanlyWithoutAUsableTemporaryDirectory)
{
    const QByteArray savedTmpdir = qgetenv("TMPDIR");
    const QByteArray destination = dir.path(QStringLiteral("out.xml")).toUtf8();
    const auto failsIn = [&destination](const QByteArray& tmpdir) {
        qputenv("TMPDIR", tmpdir);
        const int id = build(gen__qtxmlif_add_document_incremental);
        EXPECT_EQ(gen__qtxmlif_add_text(QByteArray(100000, 'x').constData()), GEN__QTXMLIF_OK);
        recorder_reset();
        EXPECT_EQ(gen__qtxmlif_save(id, destination.constData()), GEN__QTXMLIF_E_SAVE_FAILED) << tmpdir.constData();
        EXPECT_EQ(testsupport::records(), saveFailed(destination));
        EXPECT_FALSE(QFile::exists(QString::fromUtf8(destination)));
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
    };
    failsIn(dir.path(QStringLiteral("missing")).toUtf8());
    const SmallFileSystem small(dir.path(QStringLiteral("small")));
    if (small.mounted)
        failsIn(small.directory);
    savedTmpdir.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", savedTmpdir);
    if (!small.mounted)
        GTEST_SKIP() << "no small file system to fill";
}

// The kinds that write bytes of their own. Every save is of a new document, as a
// file writer ends its document at the first save and refuses the third.
class WrittenDestinations : public Paths, public ::testing::WithParamInterface<std::pair<const char*, Create>> {
protected:
    QByteArray path(const char* name) const { return QFile::encodeName(dir.path(QString::fromUtf8(name))); }

    // The document of `build`, with a text of `size` more bytes, saved to `destination`.
    uint32_t save(const QByteArray& destination, int size = 0) const
    {
        const int id = build(GetParam().second);
        const QByteArray text(size, 'x');
        EXPECT_TRUE(size == 0 || gen__qtxmlif_add_text(text.constData()) == GEN__QTXMLIF_OK);
        recorder_reset();
        const uint32_t status = gen__qtxmlif_save(id, destination.constData());
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
        return status;
    }
    static std::string read(const QByteArray& name)
    {
        std::ifstream file(name.constData(), std::ios::binary);
        return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "unreadable";
    }
    // What a save to a new file gives.
    std::string expected()
    {
        return save(path("expected.xml")) == GEN__QTXMLIF_OK ? read(path("expected.xml")) : "refused";
    }
    static mode_t kind(const QByteArray& name)
    {
        struct stat status = {};
        return ::lstat(name.constData(), &status) == 0 ? status.st_mode & S_IFMT : 0;
    }
    static std::string linkText(const QByteArray& name)
    {
        char text[4096];
        const ssize_t length = ::readlink(name.constData(), text, sizeof text);
        return length < 0 ? "no link" : std::string(text, size_t(length));
    }
};

// The bytes reach the file a link leads to, through a chain of links or to a
// file that does not exist yet; every link stays the link it was.
TEST_P(WrittenDestinations, LinksAreWrittenThroughAndStayLinks)
{
    const QByteArray existing = path("existing.xml");
    ASSERT_TRUE(QDir().mkdir(QFile::decodeName(path("sub"))));
    ASSERT_TRUE(QFile(QFile::decodeName(existing)).open(QIODevice::WriteOnly));
    const std::pair<const char*, QByteArray> links[] = {
        {"link", "existing.xml"}, {"chain", path("link")}, {"dangling", "sub/../fresh.xml"}};
    for (const auto& [link, target] : links)
        ASSERT_EQ(::symlink(target.constData(), path(link).constData()), 0) << link;
    for (const auto& [link, target] : links) {
        EXPECT_EQ(save(path(link)), GEN__QTXMLIF_OK) << link;
        EXPECT_EQ(testsupport::records(), "");
        EXPECT_EQ(linkText(path(link)), target.toStdString());
    }
    EXPECT_EQ(read(existing), expected());
    EXPECT_EQ(read(path("fresh.xml")), expected());
    EXPECT_EQ(kind(existing), mode_t(S_IFREG));
}

// A path is the caller's bytes: a name that is not UTF-8, or that begins with
// U+FEFF, names that file and no other, for the save and for both loaders.
TEST_P(WrittenDestinations, PathsAreTheCallersBytes)
{
    const QByteArray plain = path("b.xml");
    ASSERT_TRUE(std::ofstream(plain.constData()) << "<kept/>");
    for (const QByteArray& name : {QByteArray("caf\xe9.xml"), QByteArray("\xef\xbb\xbf" "b.xml")}) {
        const QByteArray named = path(".") + '/' + name;
        EXPECT_EQ(save(named), GEN__QTXMLIF_OK) << name.constData();
        EXPECT_EQ(read(named), expected());
        for (auto load : {gen__qtxmlif_load, gen__qtxmlif_load_incremental}) {
            int id = -1;
            EXPECT_EQ(load(named.constData(), &id), GEN__QTXMLIF_OK) << name.constData();
            EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
        }
    }
    EXPECT_EQ(read(plain), "<kept/>");
}

// A private null device takes the bytes and stays a device; a full one refuses
// them with message 194 and stays one too.
TEST_P(WrittenDestinations, DevicesAreWrittenThroughAndKept)
{
    const QByteArray null = path("null"), full = path("full");
    ASSERT_EQ(::mknod(null.constData(), S_IFCHR | 0666, makedev(1, 3)), 0) << std::strerror(errno);
    ASSERT_EQ(::mknod(full.constData(), S_IFCHR | 0666, makedev(1, 7)), 0) << std::strerror(errno);
    EXPECT_EQ(save(null), GEN__QTXMLIF_OK);
    EXPECT_EQ(save(full), GEN__QTXMLIF_E_SAVE_FAILED);
    EXPECT_EQ(testsupport::records(), saveFailed(full));
    for (const QByteArray& device : {null, full})
        EXPECT_EQ(kind(device), mode_t(S_IFCHR)) << device.constData();
}

// A FIFO someone reads and a socket someone listens on get the bytes; a socket
// nobody listens on is refused as a file that cannot be opened, and stays.
TEST_P(WrittenDestinations, FifoWithAReaderAndListeningSocketReceiveTheBytes)
{
    const QByteArray fifo = path("fifo"), listening = path("listening"), deaf = path("deaf");
    const auto bound = [](const QByteArray& name, int type) {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, name.constData(), sizeof address.sun_path - 1);
        const int socket = ::socket(AF_UNIX, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        EXPECT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << name.constData();
        return socket;
    };
    // Everything up to the writer's end; nothing when there was no writer.
    const auto drain = [](int from) {
        std::string all;
        char piece[4096];
        for (ssize_t length; from >= 0 && (length = ::read(from, piece, sizeof piece)) > 0;)
            all.append(piece, size_t(length));
        ::close(from);
        return all;
    };
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const int server = bound(listening, SOCK_STREAM), unheard = bound(deaf, SOCK_DGRAM);
    ASSERT_EQ(::listen(server, 1), 0);

    EXPECT_EQ(save(fifo), GEN__QTXMLIF_OK);
    EXPECT_EQ(drain(reader), expected());
    EXPECT_EQ(save(listening), GEN__QTXMLIF_OK);
    EXPECT_EQ(drain(::accept4(server, nullptr, nullptr, SOCK_CLOEXEC)), expected());
    EXPECT_EQ(save(deaf), GEN__QTXMLIF_E_SAVE_FAILED);
    EXPECT_EQ(testsupport::records(), "188: Unable to open file for saving : " + deaf.toStdString());
    EXPECT_EQ(kind(fifo), mode_t(S_IFIFO));
    EXPECT_EQ(kind(deaf), mode_t(S_IFSOCK));
    ::close(server);
    ::close(unheard);
}

// A reader that leaves in the middle of a save fails it with message 194; the
// broken pipe is no signal to the host, whose process would end by it.
TEST_P(WrittenDestinations, AReaderLeavingMidwayFailsTheSaveWithoutSignallingTheHost)
{
    const QByteArray fifo = path("fifo");
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    std::thread leaving([reader] {
        pollfd first = {reader, POLLIN, 0};
        ::poll(&first, 1, -1);
        ::close(reader);
    });
    EXPECT_EQ(save(fifo, 1 << 20), GEN__QTXMLIF_E_SAVE_FAILED);
    leaving.join();
    EXPECT_EQ(testsupport::records(), saveFailed(fifo));
    sigset_t pending;
    ::sigpending(&pending);
    EXPECT_EQ(::sigismember(&pending, SIGPIPE), 0);
}

// A save that runs out of space leaves the file it would replace byte for byte as
// it was, and nothing beside it.
TEST_P(WrittenDestinations, AFullFileSystemKeepsTheOldFileWhole)
{
    const SmallFileSystem small(dir.path(QStringLiteral("small")));
    if (!small.mounted)
        GTEST_SKIP() << "no small file system to fill";
    const QByteArray old = small.directory + "/old.xml", content("<old>\n\t\x01</old>");
    QFile file(QFile::decodeName(old));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    EXPECT_EQ(save(old, 100000), GEN__QTXMLIF_E_SAVE_FAILED);
    EXPECT_EQ(testsupport::records(), saveFailed(old));
    EXPECT_EQ(read(old), content.toStdString());
    EXPECT_EQ(QDir(QFile::decodeName(small.directory)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList(QStringLiteral("old.xml")));
}

INSTANTIATE_TEST_SUITE_P(Hostile, WrittenDestinations,
                         ::testing::Values(std::make_pair("Dom", gen__qtxmlif_add_document),
                                           std::make_pair("FileWriter", gen__qtxmlif_add_document_incremental)),
                         [](const auto& info) { return std::string(info.param.first); });

} // namespace
