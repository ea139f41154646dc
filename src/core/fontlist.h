#pragma once

#include <QStringList>

namespace gravik::fontlist {

// Sorts the way the font list keeps its items: case-insensitive first.
void sortLikeList(QStringList &names);

// Shrinks every run of equal neighbours (exact, case-sensitive) to one item,
// walking from the end as the list's own removal does.
void removeNeighbourRepeats(QStringList &sorted);

// The font list's items for a set of installed family names.
QStringList build(QStringList families);

} // namespace gravik::fontlist
