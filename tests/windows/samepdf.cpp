// samepdf A.pdf B.pdf: the same pages with the same words, each within 0.5 pt.
// samepdf --one-a4-page JOB.pdf REF.pdf: JOB is one A4 page, REF's first word
// on it no further from REF's place than a printer's unprintable edge.
// A word's place is its left edge and the bottom of its box: the top is the
// ascent the PDF writer declares for the embedded font, which Qt's Windows
// and Linux font engines give differently for the same font.
#include "printing/pdfwords.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <cmath>
#include <cstdio>

namespace {

int fail(const QString &why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    return 1;
}

// A job through Wine's printer is PostScript, whatever the capture calls it.
PdfText readDocument(const QString &path)
{
    QFile f(path);
    if (f.open(QIODevice::ReadOnly) && f.peek(4) == "%!PS") {
        const QString pdf = path + QStringLiteral(".converted.pdf");
        QProcess::execute(QStringLiteral("ps2pdf"), {path, pdf});
        return PdfText::read(pdf);
    }
    return PdfText::read(path);
}

bool nearA4(const QSizeF &s) { return std::abs(s.width() - 595.3) < 2 && std::abs(s.height() - 841.9) < 2; }

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool oneA4 = args.removeAll(QStringLiteral("--one-a4-page")) > 0;
    if (args.size() != 2)
        return fail(QStringLiteral("usage: samepdf [--one-a4-page] A.pdf B.pdf"));
    const PdfText a = readDocument(args[0]), b = readDocument(args[1]);
    if (!a.error.isEmpty() || !b.error.isEmpty())
        return fail(a.error + b.error);

    if (oneA4) {
        if (a.pages.size() != 1 || !nearA4(a.pages[0]))
            return fail(QStringLiteral("%1: %2 pages, the first %3 x %4 pt").arg(args[0]).arg(a.pages.size())
                            .arg(a.pages.empty() ? 0 : a.pages[0].width()).arg(a.pages.empty() ? 0 : a.pages[0].height()));
        if (b.words.empty())
            return fail(QStringLiteral("%1 has no words").arg(args[1]));
        const PdfWord &want = b.words.front();
        const auto got = a.find(want.text, want.xMin, 0);
        // Moved right and down by the printable area's corner, half an inch at most.
        const double dx = got ? got->xMin - want.xMin : -1, dy = got ? got->yMax - want.yMax : -1;
        if (!got || dx < -0.5 || dx > 36 || dy < -0.5 || dy > 36)
            return fail(QStringLiteral("«%1» should be near (%2, %3) pt, is %4").arg(want.text).arg(want.xMin)
                            .arg(want.yMax).arg(got ? QStringLiteral("at (%1, %2)").arg(got->xMin).arg(got->yMax)
                                                    : QStringLiteral("missing")));
        std::printf("ok: one A4 page, «%s» at (%.1f, %.1f) pt, (%.1f, %.1f) in the PDF\n", qPrintable(want.text),
                    got->xMin, got->yMax, want.xMin, want.yMax);
        return 0;
    }

    if (a.pages.size() != b.pages.size())
        return fail(QStringLiteral("%1 pages against %2").arg(a.pages.size()).arg(b.pages.size()));
    if (a.words.size() != b.words.size())
        return fail(QStringLiteral("%1 words against %2:\n%3\n---\n%4").arg(a.words.size()).arg(b.words.size())
                        .arg(a.texts().join(' '), b.texts().join(' ')));
    double worst = 0;
    for (size_t i = 0; i < a.words.size(); ++i) {
        const PdfWord &x = a.words[i], &y = b.words[i];
        const double off = std::max(std::abs(x.xMin - y.xMin), std::abs(x.yMax - y.yMax));
        if (x.text != y.text || x.page != y.page || off > 0.5)
            return fail(QStringLiteral("page %1: «%2» at (%3, %4) against «%5» at (%6, %7)").arg(x.page + 1)
                            .arg(x.text).arg(x.xMin).arg(x.yMax).arg(y.text).arg(y.xMin).arg(y.yMax));
        worst = std::max(worst, off);
    }
    std::printf("ok: %zu pages, %zu words, at most %.2f pt apart\n", a.pages.size(), a.words.size(), worst);
    return 0;
}
