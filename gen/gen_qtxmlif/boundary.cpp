#include "boundary.h"

#include <QByteArray>
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

void setString(char** target, const QString& text, const char* file, int line)
{
    if (plausible(target))
        *target = gen__str_dup_fn(text.toLocal8Bit().constData(), file, line);
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
