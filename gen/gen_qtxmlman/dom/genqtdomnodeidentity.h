// Which node a QDomNode stands for, as a number that can be hashed.
#pragma once

#include <QDomNode>

#include <cstring>
#include <type_traits>

// Qt gives nodes no hash: a QDomNode is the one pointer to the node it stands
// for, which is what its operator== compares, laid out alike in Qt 5 and 6.
inline quintptr domNodeIdentity(const QDomNode& node)
{
    static_assert(sizeof(QDomNode) == sizeof(quintptr) && std::is_standard_layout_v<QDomNode>);
    quintptr identity;
    std::memcpy(&identity, &node, sizeof identity);
    return identity;
}
