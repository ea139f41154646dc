#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QTextDocumentFragment>

#include <optional>
#include <vector>

// A PDF as pdftotext -bbox (poppler-utils) reads it: page sizes and words with
// their boxes, in points from the sheet's top-left corner.
struct PdfWord {
    QString text;
    double xMin, yMin, xMax, yMax;
    int page = 0; // 0-based
    double centreX() const { return (xMin + xMax) / 2; }
};

struct PdfText {
    std::vector<QSizeF> pages;
    std::vector<PdfWord> words; // of all pages
    QString error;

    static PdfText read(const QString &path)
    {
        PdfText out;
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                              QStringLiteral("UTF-8"), path, QStringLiteral("-")});
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            out.error = QStringLiteral("pdftotext %1: %2 %3")
                            .arg(path, p.errorString(), QString::fromLocal8Bit(p.readAllStandardError()));
            return out;
        }
        const QString html = QString::fromUtf8(p.readAllStandardOutput());
        static const QRegularExpression page(
            QString::fromLatin1(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
        static const QRegularExpression word(QString::fromLatin1(
            R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
        for (auto it = page.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            out.pages.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
            const qsizetype end = html.indexOf(QLatin1String("</page>"), m.capturedEnd());
            for (auto w = word.globalMatch(html.left(end), m.capturedEnd()); w.hasNext();) {
                const auto n = w.next();
                out.words.push_back({QTextDocumentFragment::fromHtml(n.captured(5)).toPlainText(),
                                     n.captured(1).toDouble(), n.captured(2).toDouble(), n.captured(3).toDouble(),
                                     n.captured(4).toDouble(), int(out.pages.size()) - 1});
            }
        }
        return out;
    }

    // The word with this text nearest to x (points), if any; on one page
    // when page is not -1.
    std::optional<PdfWord> find(const QString &text, double nearX = 0, int page = -1) const
    {
        std::optional<PdfWord> best;
        for (const PdfWord &w : words)
            if (w.text == text && (page < 0 || w.page == page) &&
                (!best || std::abs(w.xMin - nearX) < std::abs(best->xMin - nearX)))
                best = w;
        return best;
    }

    QStringList texts() const
    {
        QStringList t;
        for (const PdfWord &w : words)
            t << w.text;
        return t;
    }
};

// Twips to points: 20 twips a point.
inline double twipsToPoints(double twips) { return twips / 20.0; }
// Half a millimetre in points.
constexpr double kHalfMillimetre = 72.0 / 25.4 / 2;
