#pragma once

#include "core/certificatefields.h"
#include "core/statefile.h"
#include "database/pupils.h"
#include "database/spreadsheetml.h"
#include "database/database.h"
#include "pdfwords.h"

#include <QtTest>

#include <vector>

// A class of pupils in a database, and checks that a PDF shows each of them
// on a page of its own.

// Pupil n: single-word values, so each is one word of the text layer.
inline gravik::pupils::StudentRecord classPupil(int n)
{
    const QString s = QStringLiteral("Ученик%1").arg(n);
    return {s, "Имя" + QString::number(n), "Отч" + QString::number(n), s + "R", "Есим" + QString::number(n),
            "Экеси" + QString::number(n), "Учитель" + QString::number(n), "Мугалим" + QString::number(n),
            QStringLiteral("Ж-%1").arg(100 + n)};
}

inline std::vector<gravik::pupils::StudentRecord> classOf(int count, int first = 1)
{
    std::vector<gravik::pupils::StudentRecord> out;
    for (int n = first; n < first + count; ++n)
        out.push_back(classPupil(n));
    return out;
}

// The certificate of the default 1.txt with the director filled in.
inline gravik::Certificate classBase()
{
    gravik::StateFile::Error error;
    auto state = gravik::StateFile::load(QStringLiteral(GRAVIK_DEFAULTS_DIR "/1.txt"), &error);
    gravik::Certificate c = state ? gravik::Certificate::fromState(*state) : gravik::Certificate();
    c.setValue(gravik::Value::Director, QStringLiteral("Директорова"));
    return c;
}

// SpreadsheetML of the built-in database with these rows from row 3 (an
// empty record leaves its row empty).
inline QByteArray databaseOf(const std::vector<gravik::pupils::StudentRecord> &rows)
{
    gravik::Workbook b = gravik::studentdb::builtIn();
    for (size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 9; ++c)
            if (!rows[r][size_t(c)].isEmpty())
                b.sheets[0].setText(int(r) + gravik::studentdb::FirstPupilRow, c + 1, rows[r][size_t(c)]);
    return gravik::spreadsheetml::write(b);
}

// Field n's text on a page at the twip position (x, y) of the printable area.
inline void checkFieldOnPage(const PdfText &pdf, int page, int n, const QString &text, double x, double y)
{
    const gravik::CertificateField &f = gravik::certificateField(n);
    const bool centred = f.box == gravik::CertificateField::Box::Centred;
    const double wantX = twipsToPoints(centred ? x + f.width / 2.0 : x);
    const auto w = pdf.find(text, twipsToPoints(x), page);
    QVERIFY2(w, qPrintable(QStringLiteral("page %1: field %2 (%3) is missing").arg(page + 1).arg(n).arg(text)));
    const double gotX = centred ? w->centreX() : w->xMin;
    QVERIFY2(std::abs(gotX - wantX) <= kHalfMillimetre && std::abs(w->yMin - twipsToPoints(y)) <= kHalfMillimetre,
             qPrintable(QStringLiteral("page %1: field %2 at (%3, %4) pt, expected (%5, %6)")
                            .arg(page + 1).arg(n).arg(gotX).arg(w->yMin).arg(wantX).arg(twipsToPoints(y))));
}

// Page i of the PDF is pupils[i]'s certificate over base: the pupil's nine
// values and base's Text5 (the director) at their fields' positions.
inline void checkClassPdf(const QString &path, const gravik::Certificate &base,
                          const std::vector<gravik::pupils::StudentRecord> &pupils)
{
    const PdfText pdf = PdfText::read(path);
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
    QCOMPARE(pdf.pages.size(), pupils.size());
    const gravik::CoordinateTable &t = base.coordinates();
    auto check = [&](int page, gravik::Value v, const QString &text) {
        if (text.isEmpty())
            return;
        const int n = gravik::fieldOf(v);
        checkFieldOnPage(pdf, page, n, text, *t.number(gravik::CoordinateTable::xEntry(n)),
                         *t.number(gravik::CoordinateTable::yEntry(n)));
    };
    for (int p = 0; p < int(pupils.size()); ++p) {
        for (size_t i = 0; i < pupils[size_t(p)].size(); ++i) {
            check(p, gravik::pupils::CopyValues[i], pupils[size_t(p)][i]);
            if (QTest::currentTestFailed())
                return;
        }
        check(p, gravik::Value::Director, base.value(gravik::Value::Director));
        if (QTest::currentTestFailed())
            return;
    }
}
