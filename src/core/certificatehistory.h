#pragma once

#include "core/certificate.h"

#include <QObject>

namespace gravik {

// The operator's moves of fields and font choices on a document, each one a
// step of the document's undo stack that Ctrl+Z takes back. Every change still
// goes through the document, so the coordinate table and 1.txt see a move as
// they always did. Its steps go with it.
class CertificateHistory : public QObject
{
    Q_OBJECT
public:
    explicit CertificateHistory(CertificateDocument &doc, QObject *parent = nullptr);
    ~CertificateHistory() override;

    // Sets a coordinate entry. dragging: a thumb is being dragged; the values
    // of one drag of one entry make one step.
    void moveField(int entry, const QString &text, bool dragging = false);
    // A thumb was pressed: the next drag is a step of its own.
    void newGesture() { ++m_gesture; }

    // Apply the font boxes' texts as the document does, one step each.
    void applyFontName();
    void applyStyle();
    void applySize();

    // Forgets every step; the document as it is now is where undo ends.
    void clear();

    struct FontState {
        Certificate::FontTexts texts;
        QFont font;
        bool operator==(const FontState &o) const
        {
            return texts.name == o.texts.name && texts.style == o.texts.style && texts.size == o.texts.size &&
                   font == o.font;
        }
    };

private:
    void applyFont(void (CertificateDocument::*apply)());
    FontState current() const;

    CertificateDocument &m_doc;
    int m_gesture = 0;
    FontState m_settled; // the font as last applied, with the texts it came from
};

} // namespace gravik
