#pragma once

#include "core/certificatefields.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

// Geometry and drawing of the certificate's fields, shared by the on-screen
// labels and the printed page so the two cannot disagree.
namespace gravik::page {

// What one field shows: its text at its table position, in the page font.
struct FieldContent {
    int number = 0;
    QString text;
    double xTwips = 0; // left edge
    double yTwips = 0; // top edge
    QFont font;
    QColor color;
};

// The field's box in twips. A centred box is W wide at X; a fitted box is as
// wide as its text (textWidthTwips) from X. Height: the field's own (255 or 315)
// or the text's line height when that is taller.
QRectF boxTwips(const CertificateField &f, double x, double y, double textWidthTwips,
                double lineHeightTwips);

// Text flags: one line from the top of the box, centred or from the left edge.
int textFlags(const CertificateField &f);

// As much of a field's text as it can ever show, and all that is measured or
// drawn of it. No visible character is narrower than a twip, so a centred box
// shows no more characters than it is twips wide, and a fitted one, which runs
// on to the right, no more than an A4 sheet is long.
QString shownText(const CertificateField &f, const QString &text);

// Draws a field's text (what shownText leaves of it) into a box given in the
// painter's device pixels. Centred boxes clip their text at the box, as the
// preview does.
void drawFieldText(QPainter &p, const QRectF &deviceBox, const CertificateField &f,
                   const QString &text, const QFont &font, const QColor &color);

// The box of a field in device pixels of a device with the given resolution.
QRectF deviceBox(QPainter &p, const FieldContent &c, double dpiX, double dpiY);

} // namespace gravik::page
