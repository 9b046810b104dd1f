// Loading: a file or a caller's buffer becomes a new document, parsed whole (DOM)
// or pulled token by token later (incremental reader).
#include "boundary.h"
#include "rururoroxmlcodeunits.h"

#include <QBuffer>
#include <QFile>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Text mode drops every 0x0D byte. In a byte-oriented encoding that byte is only
// ever a carriage return, which the parser folds into a line feed anyway, so text
// mode is harmless there. In UTF-16 (and UTF-32) 0x0D is half of many code units
// (a CR in CR LF, U+010D, U+0D00 ...), and dropping it shifts every later byte.
// Such files are recognised as XML's encoding detection does: by a byte-order mark
// or by NUL bytes among the first four; they are read unchanged.
bool hasWideCodeUnits(const QByteArray& head)
{
    return head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF") || head.contains('\0');
}

// Only regular files are read: opening a FIFO without a writer blocks for good,
// a device may never end, and opening some devices does something. A
// directory, a FIFO or a device therefore counts as a file that cannot be
// opened: the path names something that exists, so "not found" would send the
// user looking for a missing file. What is opened is looked at again, in case
// the path came to name something else in between.
std::unique_ptr<QFile> openForReading(const QByteArray& path, const struct stat& found)
{
    if (!S_ISREG(found.st_mode))
        return nullptr;
    const int descriptor = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct stat opened;
    auto file = std::make_unique<QFile>();
    if (::fstat(descriptor, &opened) != 0 || !S_ISREG(opened.st_mode) ||
        !file->open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return nullptr;
    }
    if (!hasWideCodeUnits(file->peek(4)))
        file->setTextModeEnabled(true);
    return file;
}

// The DOM parser keeps carriage returns in text, so a file read without text
// mode loses them here instead, as code units of its own width: the parser then
// sees what text mode gives any other file. The stream reader folds line ends
// itself and keeps reading the file as it goes.
std::unique_ptr<QIODevice> withoutCarriageReturns(std::unique_ptr<QFile> file)
{
    if (file->isTextModeEnabled())
        return file;
    const QByteArray bytes = file->readAll();
    const XmlCodeUnits units = detectXmlCodeUnits(bytes.constData(), bytes.size());
    const int lowByte = units.bigEndian ? units.width - 1 : 0;
    const auto isCarriageReturn = [&](const char* unit) {
        for (int i = 0; i < units.width; ++i)
            if (unit[i] != (i == lowByte ? '\r' : '\0'))
                return false;
        return true;
    };
    auto kept = std::make_unique<QBuffer>();
    kept->buffer().reserve(bytes.size());
    int at = 0;
    for (; at + units.width <= bytes.size(); at += units.width)
        if (!isCarriageReturn(bytes.constData() + at))
            kept->buffer().append(bytes.constData() + at, units.width);
    kept->buffer().append(bytes.constData() + at, bytes.size() - at);
    kept->open(QIODevice::ReadOnly);
    return kept;
}

std::uint32_t loadFile(const char* file_path, int* doc_id, bool incremental)
try {
    if (!RURUROR_CHECK_NOT_EMPTY(file_path))
        return GEN__QTXMLIF_E_NO_DOCUMENT;
    boundary::set(doc_id, -1);

    const QByteArray path = boundary::nativePath(file_path);
    struct stat found;
    if (::stat(path.constData(), &found) != 0) {
        RURUROR_LOG_ERROR(RURUROR_KEY_FILE_NOT_FOUND, "Unable to find document: %s", file_path);
        return GEN__QTXMLIF_E_NO_DOCUMENT;
    }
    std::unique_ptr<QFile> opened = openForReading(path, found);
    if (!opened) {
        RURUROR_LOG_ERROR(RURUROR_KEY_FILE_NOT_OPENED, "Unable to open document: %s", file_path);
        return GEN__QTXMLIF_E_OPEN_FAILED;
    }
    std::unique_ptr<QIODevice> file = incremental ? std::move(opened) : withoutCarriageReturns(std::move(opened));

    int docID = -1;
    int errorLine = 0;
    int errorColumn = 0;
    if (boundary::manager().load(file.release(), &docID, &errorLine, &errorColumn, false, incremental) &&
        docID != -1) {
        boundary::set(doc_id, docID);
        return GEN__QTXMLIF_OK;
    }
    RURUROR_LOG_ERROR(RURUROR_KEY_SYNTAX_ERROR, "XML document syntax error in file: %s\nError found in line %d, column %d.\n", file_path,
                      errorLine, errorColumn);
    return GEN__QTXMLIF_E_SYNTAX;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

std::uint32_t loadBuffer(const char* buff, int* doc_id, bool noCase, bool incremental)
try {
    if (boundary::isEmpty(buff))
        return GEN__QTXMLIF_E_FAILED;
    // Qt 5 holds at most 2 GiB in one byte array: a longer text cannot load, in
    // the Qt 6 build too, so that both give the same status.
    const std::size_t length = std::strlen(buff);
    if (length > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return GEN__QTXMLIF_E_SYNTAX;
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(buff, static_cast<int>(length));
    buffer->open(QIODevice::ReadOnly | QIODevice::Text);
    boundary::set(doc_id, -1);

    int docID = -1;
    int errorLine = 0;
    int errorColumn = 0;
    if (boundary::manager().load(buffer.release(), &docID, &errorLine, &errorColumn, noCase, incremental) &&
        docID != -1) {
        boundary::set(doc_id, docID);
        return GEN__QTXMLIF_OK;
    }
    return GEN__QTXMLIF_E_SYNTAX;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

} // namespace

uint32_t gen__qtxmlif_load(const char* file_path, int* doc_id)
{
    return RURUROR_TRACE_FAILURE(loadFile(file_path, doc_id, false));
}

uint32_t gen__qtxmlif_load_incremental(const char* file_path, int* doc_id)
{
    return RURUROR_TRACE_FAILURE(loadFile(file_path, doc_id, true));
}

RURUROR_TAKES_FLAG uint32_t gen__qtxmlif_load_buff(const char* buff, int* doc_id, RURUROR_FLAG no_case)
{
    return RURUROR_TRACE_FAILURE(loadBuffer(buff, doc_id, boundary::flag(no_case), false));
}

RURUROR_TAKES_FLAG uint32_t gen__qtxmlif_load_buff_incremental(const char* buff, int* doc_id, RURUROR_FLAG no_case)
{
    return RURUROR_TRACE_FAILURE(loadBuffer(buff, doc_id, boundary::flag(no_case), true));
}
