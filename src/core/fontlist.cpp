#include "core/fontlist.h"

#include <algorithm>

namespace gravik::fontlist {

void sortLikeList(QStringList &names)
{
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        // Exact ties broken case-sensitively, so equal names always end up neighbours.
        const int ci = a.compare(b, Qt::CaseInsensitive);
        return ci != 0 ? ci < 0 : a.compare(b, Qt::CaseSensitive) < 0;
    });
}

void removeNeighbourRepeats(QStringList &sorted)
{
    // Kept equal to the list's removal from the end; done as one compaction
    // instead of removing items one by one.
    if (sorted.size() < 2)
        return;
    qsizetype out = 1;
    for (qsizetype i = 1; i < sorted.size(); ++i) {
        if (sorted.at(i) != sorted.at(out - 1))
            sorted[out++] = sorted.at(i);
    }
    sorted.resize(out);
}

QStringList build(QStringList families)
{
    sortLikeList(families);
    removeNeighbourRepeats(families);
    return families;
}

} // namespace gravik::fontlist
