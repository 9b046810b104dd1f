// What a host does with the strings a walk gives it: through the C interface it
// receives two new strings per event (a name and a value, empty ones too) and
// releases them; the plain Qt loops make and release the same copies, so that
// both sides of a comparison do the same work.
#pragma once

#include <QByteArray>

// Calls gen__qtxmlif_get_next_entity until it stops, releasing every string;
// returns the number of strings received.
long releaseEntities(int doc);

// One event's two copies, made in the local 8-bit encoding and released; returns 2.
long handOut(const QByteArray& name, const QByteArray& value = QByteArray());
