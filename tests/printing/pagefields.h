#pragma once

#include "core/certificatefields.h"
#include "core/pagelayout.h"

#include <QFont>

#include <vector>

// A page with every field at its default position, field N showing "П<N>".
inline std::vector<gravik::page::FieldContent> numberedPage(double pointSize = 10, bool bold = false)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    std::vector<gravik::page::FieldContent> fields;
    for (const gravik::CertificateField &f : gravik::certificateFields())
        fields.push_back({f.number, QStringLiteral("П%1").arg(f.number), double(f.x),
                          double(f.y), font, Qt::black});
    return fields;
}
