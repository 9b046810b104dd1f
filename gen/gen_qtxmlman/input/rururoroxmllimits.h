// Limits every reading path holds a document to, whichever document kind reads it.
#pragma once

namespace xmllimits {

// Attributes on one start tag. Qt's DOM builder and its stream reader both
// compare each new attribute with the earlier ones, so one element costs time
// quadratic in their number (DOM builder, measured: 1024 take 11 ms, 4096 take
// 220 ms, 40000 take 47 s; the stream reader needs hours for a million).
constexpr int MaxAttributesPerElement = 1024;

} // namespace xmllimits
