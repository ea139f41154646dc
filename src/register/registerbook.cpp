#include "register/registerbook.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace gravik::blanks {

namespace {

// Twips: a quarter inch a row, room for the title and a two-line header.
constexpr double kRow = 360, kTitle = 720, kHeader = 600, kFooter = 360, kPad = 60;

QString fullName(const PrintedPage &p)
{
    return QStringList{p.surname, p.name, p.patronymic}.join(QLatin1Char(' ')).simplified();
}

QString day(const QDateTime &t)
{
    return t.toString(QStringLiteral("dd.MM.yyyy"));
}

QSizeF printableTwips(const page::PageSetup &setup)
{
    return setup.layout.paintRect(QPageLayout::Point).size() * 20;
}

int rowsPerPage(const page::PageSetup &setup)
{
    return std::max(1, int((printableTwips(setup).height() - kTitle - kHeader - kFooter) / kRow));
}

QFont font(double points, bool bold)
{
    QFont f(QStringLiteral("Times New Roman"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace

Table bookTable(const std::vector<Entry> &entries, const QString &title, const QStringList &headers)
{
    Table t{title, headers, {0.06, 0.34, 0.14, 0.18, 0.12, 0.16}, {}};
    for (const Entry &e : entries)
        if (e.state == State::Issued)
            t.rows.push_back({QString::number(t.rows.size() + 1), fullName(e.pupil), e.pupil.registration,
                              e.blank.text(), day(e.recorded), QString()});
    return t;
}

Table actTable(const std::vector<Entry> &entries, const QString &title, const QStringList &headers,
               const QStringList &stateNames)
{
    Table t{title, headers, {0.06, 0.16, 0.12, 0.26, 0.12, 0.28}, {}};
    for (const Entry &e : entries)
        if (e.state != State::Issued)
            t.rows.push_back({QString::number(t.rows.size() + 1), e.blank.text(),
                              day(e.changed.isValid() ? e.changed : e.recorded), fullName(e.pupil),
                              stateNames.value(int(e.state)), e.reason});
    return t;
}

int pageCount(const Table &table, const page::PageSetup &setup)
{
    const int per = rowsPerPage(setup);
    return std::max(1, int((table.rows.size() + size_t(per) - 1) / size_t(per)));
}

page::PageWriter tablePages(const Table &table, const page::PageSetup &setup)
{
    const QSizeF area = printableTwips(setup);
    const int per = rowsPerPage(setup), pages = pageCount(table, setup);
    return [&table, area, per, pages](page::PdfFile &pdf, int index, QString *error) {
        return pdf.addDrawing(
            [&](QPainter &p, double dpiX, double dpiY) {
                const double sx = dpiX / 1440.0, sy = dpiY / 1440.0;
                auto box = [&](double x, double y, double w, double h) { return QRectF(x * sx, y * sy, w * sx, h * sy); };
                const double width = area.width();
                p.setPen(QPen(Qt::black, std::max(1.0, dpiX / 144.0)));
                p.setFont(font(14, true));
                p.drawText(box(0, kPad, width, kTitle - kPad), Qt::AlignHCenter | Qt::AlignTop, table.title);

                std::vector<double> xs{0};
                for (double share : table.widths)
                    xs.push_back(xs.back() + share * width);
                auto cells = [&](const QStringList &texts, double y, double h, int flags) {
                    for (size_t c = 0; c + 1 < xs.size(); ++c) {
                        const QRectF cell = box(xs[c], y, xs[c + 1] - xs[c], h);
                        p.drawRect(cell);
                        const QRectF inner = cell.adjusted(kPad * sx, 0, -kPad * sx, 0);
                        const QString text = texts.value(int(c));
                        // A cell keeps to its column: what does not fit is cut with an ellipsis.
                        const QString shown = flags & Qt::TextWordWrap
                                                  ? text
                                                  : QFontMetricsF(p.font(), p.device())
                                                        .elidedText(text, Qt::ElideRight, inner.width());
                        p.drawText(inner, flags | Qt::AlignVCenter, shown);
                    }
                };
                p.setFont(font(9, true));
                cells(table.headers, kTitle, kHeader, Qt::AlignHCenter | Qt::TextWordWrap);
                p.setFont(font(10, false));
                const size_t first = size_t(index) * size_t(per);
                const size_t last = std::min(table.rows.size(), first + size_t(per));
                double y = kTitle + kHeader;
                for (size_t r = first; r < last; ++r, y += kRow)
                    cells(table.rows[r], y, kRow, Qt::AlignLeft);
                p.setFont(font(9, false));
                p.drawText(box(0, area.height() - kFooter, width, kFooter), Qt::AlignRight | Qt::AlignBottom,
                           QStringLiteral("%1 / %2").arg(index + 1).arg(pages));
            },
            error);
    };
}

} // namespace gravik::blanks
