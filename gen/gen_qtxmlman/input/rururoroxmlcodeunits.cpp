#include "rururoroxmlcodeunits.h"

#include <algorithm>
#include <initializer_list>

XmlCodeUnits detectXmlCodeUnits(const char* data, qint64 size)
{
    const auto startsWith = [&](std::initializer_list<uchar> prefix) {
        return size >= qint64(prefix.size()) &&
               std::equal(prefix.begin(), prefix.end(), reinterpret_cast<const uchar*>(data));
    };
    if (startsWith({0xFF, 0xFE, 0, 0}))
        return {4, false, 4, 1017};
    if (startsWith({0, 0, 0xFE, 0xFF}))
        return {4, true, 4, 1017};
    if (startsWith({0xFF, 0xFE}))
        return {2, false, 2, 1015};
    if (startsWith({0xFE, 0xFF}))
        return {2, true, 2, 1015};
    if (startsWith({0xEF, 0xBB, 0xBF}))
        return {1, false, 3, 106};
    if (startsWith({'<', 0, 0, 0}))
        return {4, false, 0, 1019};
    if (startsWith({0, 0, 0, '<'}))
        return {4, true, 0, 1018};
    if (startsWith({'<', 0}))
        return {2, false, 0, 1014};
    if (startsWith({0, '<'}))
        return {2, true, 0, 1013};
    return {};
}
