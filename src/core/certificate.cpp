#include "core/certificate.h"

#include "core/certificatefields.h"

namespace gravik {

namespace {

// The fields whose text follows field n's: n itself and its mirrors.
template <class F> void forFieldAndMirrors(int n, F &&f)
{
    f(n);
    for (const CertificateField &m : certificateFields())
        if (m.source == CertificateField::Source::Mirror && m.mirrorOf == n)
            f(m.number);
}

} // namespace

Certificate::Certificate() = default;

bool Certificate::setValue(Value v, const QString &text)
{
    QString &stored = m_values[size_t(v)];
    if (stored == text)
        return false;
    stored = text;
    return true;
}

QString Certificate::fieldText(int number) const
{
    const CertificateField &f = certificateField(number);
    switch (f.source) {
    case CertificateField::Source::InputBox:
        return value(f.value);
    case CertificateField::Source::Mirror:
        return fieldText(f.mirrorOf);
    case CertificateField::Source::Letter:
        return letters ? QStringLiteral("а") : QString();
    }
    return {};
}

void Certificate::applyFontName()
{
    font.setFamilies({fontTexts.name});
}

void Certificate::applyStyle()
{
    // Compared in this order; a text that is none of the four leaves the flags alone.
    const std::pair<const char *, std::pair<bool, bool>> styles[] = {
        {"жирный", {true, false}},
        {"жирный курсивный", {true, true}},
        {"обычный", {false, false}},
        {"курсивный", {false, true}}};
    for (const auto &[name, flags] : styles) {
        if (fontTexts.style == QString::fromUtf8(name)) {
            font.setBold(flags.first);
            font.setItalic(flags.second);
            return;
        }
    }
}

void Certificate::applySize()
{
    const auto pt = CoordinateTable::toNumber(fontTexts.size);
    if (pt && *pt > 0)
        font.setPointSizeF(*pt);
}

StateFile Certificate::toState() const
{
    StateFile s;
    for (int i = 0; i < ValueCount; ++i)
        s.setLine(i + 1, m_values[i]);
    s.setLine(StateFile::FontLine, fontTexts.name);
    s.setLine(StateFile::StyleLine, fontTexts.style);
    s.setLine(StateFile::SizeLine, fontTexts.size);
    for (int k = 1; k <= CoordinateTable::EntryCount; ++k)
        s.setLine(StateFile::FirstCoordinateLine + k - 1, m_table.entry(k));
    return s;
}

Certificate Certificate::fromState(const StateFile &state)
{
    Certificate c;
    for (int i = 0; i < ValueCount; ++i)
        c.m_values[i] = state.line(i + 1);
    c.fontTexts = {state.line(StateFile::FontLine), state.line(StateFile::StyleLine),
                   state.line(StateFile::SizeLine)};
    for (int k = 1; k <= CoordinateTable::EntryCount; ++k)
        c.m_table.setEntry(k, state.line(StateFile::FirstCoordinateLine + k - 1));
    c.applyFontName();
    c.applyStyle();
    c.applySize();
    return c;
}

// ---- the document ----

CertificateDocument::CertificateDocument(QObject *parent) : QObject(parent) {}

void CertificateDocument::setValue(Value v, const QString &text)
{
    if (!m_cert.setValue(v, text))
        return;
    // The page first: a view of the value may answer with a change of its own
    // (a box folding what it cannot hold), which then comes last.
    forFieldAndMirrors(fieldOf(v), [&](int f) { emit fieldTextChanged(f, text); });
    emit valueChanged(v, text);
}

void CertificateDocument::setCoordinate(int entry, const QString &text)
{
    if (m_cert.coordinates().entry(entry) == text)
        return;
    m_cert.coordinates().setEntry(entry, text);
    emit fieldMoved((entry + 1) / 2);
}

void CertificateDocument::setCoordinates(const CoordinateTable &table)
{
    m_cert.coordinates() = table;
    for (int n = 1; n <= FieldCount; ++n)
        emit fieldMoved(n);
}

void CertificateDocument::setFontNameText(const QString &text)
{
    m_cert.fontTexts.name = text;
    emit fontTextsChanged();
}

void CertificateDocument::setStyleText(const QString &text)
{
    m_cert.fontTexts.style = text;
    emit fontTextsChanged();
}

void CertificateDocument::setSizeText(const QString &text)
{
    m_cert.fontTexts.size = text;
    emit fontTextsChanged();
}

void CertificateDocument::setFont(const QFont &f)
{
    m_cert.font = f;
    emit fontChanged(f);
}

void CertificateDocument::applyFontName()
{
    Certificate c = m_cert;
    c.applyFontName();
    setFont(c.font);
}

void CertificateDocument::applyStyle()
{
    Certificate c = m_cert;
    c.applyStyle();
    setFont(c.font);
}

void CertificateDocument::applySize()
{
    Certificate c = m_cert;
    c.applySize();
    setFont(c.font);
}

void CertificateDocument::setLetters(bool ticked)
{
    if (m_cert.letters == ticked)
        return;
    m_cert.letters = ticked;
    // Ticking writes 20 then 22; unticking 22 then 20.
    const int order[2] = {ticked ? 20 : 22, ticked ? 22 : 20};
    for (int n : order)
        forFieldAndMirrors(n, [&](int f) { emit fieldTextChanged(f, m_cert.fieldText(f)); });
}

void CertificateDocument::replace(const Certificate &c)
{
    const Certificate before = m_cert;
    m_cert = c;
    for (int i = 0; i < ValueCount; ++i)
        if (const Value v = Value(i); before.value(v) != c.value(v))
            emit valueChanged(v, c.value(v));
    for (int n = 1; n <= FieldCount; ++n) {
        if (before.fieldText(n) != c.fieldText(n))
            emit fieldTextChanged(n, c.fieldText(n));
        if (before.coordinates().entry(CoordinateTable::xEntry(n)) != c.coordinates().entry(CoordinateTable::xEntry(n)) ||
            before.coordinates().entry(CoordinateTable::yEntry(n)) != c.coordinates().entry(CoordinateTable::yEntry(n)))
            emit fieldMoved(n);
    }
    emit fontTextsChanged();
    if (before.font != c.font)
        emit fontChanged(c.font);
}

bool CertificateDocument::load(const QString &path, StateFile::Error *error)
{
    const auto state = StateFile::load(path, error);
    if (!state)
        return false;
    replace(Certificate::fromState(*state));
    return true;
}

bool CertificateDocument::save(const QString &path, QString *error) const
{
    return m_cert.toState().save(path, error);
}

} // namespace gravik
