#include "boundary.h"

#include "rururoroqtversion.h"

#include <QByteArray>
#include <cstring>
#include <new>

namespace boundary {

void reportAssertion(const char* condition, const char* file, int line)
{
    gen__log_write("INTERNAL", "(%s) at %s %d\n", condition, file, line);
    gen__err_sound();
}

bool check(bool passes, const char* condition, const char* file, int line)
{
    if (!passes)
        reportAssertion(condition, file, line);
    return passes;
}

namespace {

// Narrows short ASCII text into `bytes` (NUL-terminated); false for anything
// else, which then takes the codec. A null text is empty in every encoding, so
// the codec is not asked for it (a third of the strings of a stream walk).
template <int Size>
bool narrowAscii(const QString& text, char (&bytes)[Size])
{
    if (text.isNull()) {
        bytes[0] = '\0';
        return true;
    }
    const int length = text.size();
    if (length >= Size)
        return false;
    const QChar* chars = text.constData();
    for (int i = 0; i < length; ++i) {
        if (chars[i].unicode() >= 0x80)
            return false;
        bytes[i] = static_cast<char>(chars[i].unicode());
    }
    bytes[length] = '\0';
    return qtversion::local8BitKeepsAscii();
}

// An unpaired surrogate reaches the host as '?', as a save writes it: left to
// the local encoder it would vanish at the end of a text on Qt 5 and become
// U+FFFD on Qt 6.
QByteArray toLocal(const QString& text)
{
    const int size = text.size();
    const QChar* chars = text.constData();
    QString paired;
    for (int i = 0; i < size; ++i) {
        if (!chars[i].isSurrogate())
            continue;
        if (chars[i].isHighSurrogate() && i + 1 < size && chars[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (paired.isNull())
            paired = text;
        paired[i] = QLatin1Char('?');
    }
    return (paired.isNull() ? text : paired).toLocal8Bit();
}

} // namespace

QString fromLocal(const char* text)
{
    QString decoded = QString::fromLocal8Bit(text, -1);
    // A UTF-8 decoder takes a leading U+FEFF for a byte order mark and drops it,
    // yet here it is the host's text like any other character.
    static const char byteOrderMark[] = "\xEF\xBB\xBF";
    if (text && std::strncmp(text, byteOrderMark, 3) == 0 && QString::fromLocal8Bit(byteOrderMark, 3).isEmpty())
        decoded.prepend(QChar(0xFEFF));
    return decoded;
}

void setString(char** target, const QString& text, const char* file, int line)
{
    if (!plausible(target))
        return;
    // Most names and values are short ASCII: they are copied from the stack,
    // without a codec call and an intermediate heap buffer per string.
    char ascii[128];
    *target = gen__str_dup_fn(narrowAscii(text, ascii) ? ascii : toLocal(text).constData(), file, line);
}

std::uint32_t traceFailure(std::uint32_t status, const char* file, int line)
{
    if (status != GEN__QTXMLIF_OK)
        gen__log_status_check(file, line);
    return status;
}

void absorbException(const char* file, int line) noexcept
{
    QByteArray text;
    const char* condition = "unexpected exception";
    try {
        throw;
    } catch (QString* fault) {
        try {
            if (fault)
                text = fault->toLocal8Bit();
        } catch (...) {
            // Out of memory while converting: the generic text below will do.
        }
        delete fault;
        if (!text.isEmpty())
            condition = text.constData();
    } catch (const std::bad_alloc&) {
        condition = "out of memory";
    } catch (...) {
    }
    reportAssertion(condition, file, line);
}

} // namespace boundary
