#include "core/certificatehistory.h"

#include <QUndoCommand>

namespace gravik {

namespace {

enum CommandId { MoveId = 1 };

class MoveCommand : public QUndoCommand
{
public:
    MoveCommand(CertificateDocument &doc, int entry, QString before, QString after, int gesture)
        : m_doc(doc), m_entry(entry), m_before(std::move(before)), m_after(std::move(after)), m_gesture(gesture)
    {
    }
    void undo() override { m_doc.setCoordinate(m_entry, m_before); }
    void redo() override { m_doc.setCoordinate(m_entry, m_after); }
    int id() const override { return MoveId; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *o = static_cast<const MoveCommand *>(other);
        if (m_gesture == 0 || o->m_gesture != m_gesture || o->m_entry != m_entry)
            return false;
        m_after = o->m_after;
        setObsolete(m_after == m_before); // dragged back where it began
        return true;
    }

private:
    CertificateDocument &m_doc;
    int m_entry;
    QString m_before, m_after;
    int m_gesture; // 0: not part of a drag
};

class FontCommand : public QUndoCommand
{
public:
    using State = CertificateHistory::FontState;
    FontCommand(CertificateDocument &doc, State before, State after, State &settled)
        : m_doc(doc), m_before(std::move(before)), m_after(std::move(after)), m_settled(settled)
    {
    }
    void undo() override { put(m_before); }
    void redo() override { put(m_after); }

private:
    void put(const State &s)
    {
        m_settled = s;
        Certificate c = m_doc.certificate();
        c.fontTexts = s.texts;
        c.font = s.font;
        m_doc.replace(c);
    }

    CertificateDocument &m_doc;
    State m_before, m_after;
    State &m_settled;
};

} // namespace

CertificateHistory::CertificateHistory(CertificateDocument &doc, QObject *parent)
    : QObject(parent), m_doc(doc), m_settled(current())
{
}

CertificateHistory::~CertificateHistory()
{
    // The font steps keep the settled font here.
    m_doc.undoStack().clear();
}

void CertificateHistory::moveField(int entry, const QString &text, bool dragging)
{
    const QString before = m_doc.coordinates().entry(entry);
    if (before == text)
        return; // the scroll bars echo a position back; that is no move
    m_doc.undoStack().push(new MoveCommand(m_doc, entry, before, text, dragging ? m_gesture + 1 : 0));
}

void CertificateHistory::applyFontName() { applyFont(&CertificateDocument::applyFontName); }
void CertificateHistory::applyStyle() { applyFont(&CertificateDocument::applyStyle); }
void CertificateHistory::applySize() { applyFont(&CertificateDocument::applySize); }

void CertificateHistory::applyFont(void (CertificateDocument::*apply)())
{
    const FontState before = m_settled;
    (m_doc.*apply)();
    const FontState after = current();
    if (after.font == before.font)
        return; // a choice that changes nothing is no step
    m_doc.undoStack().push(new FontCommand(m_doc, before, after, m_settled));
}

void CertificateHistory::clear()
{
    m_doc.undoStack().clear();
    m_settled = current();
}

CertificateHistory::FontState CertificateHistory::current() const
{
    return {m_doc.fontTexts(), m_doc.font()};
}

} // namespace gravik
