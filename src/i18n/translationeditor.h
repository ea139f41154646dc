#pragma once

#include "language/languagecode.h"
#include "language/translationtable.h"

#include <QRect>
#include <QWidget>

#include <array>

class QLineEdit;
class QScrollArea;

namespace gravik {

class InterfaceLanguage;

// The translation editor `Lang`: the 114 strings in edit boxes, Russian on the
// left and each Kazakh counterpart on the same row on the right. Its table is
// what every application of the language reads; closing the window writes it.
class TranslationEditor : public QWidget
{
    Q_OBJECT
public:
    // Edits language's strings in place.
    explicit TranslationEditor(InterfaceLanguage &language, QWidget *parent = nullptr);
    ~TranslationEditor() override;

    // The registry's factory and creation step: build hidden, then read
    // data/languare.txt and the language code.
    void creationStep();

    const TranslationTable &table() const;

    QLineEdit *box(int n) const { return m_boxes.at(n - 1); }
    LanguageCode &languageCode() { return m_language; }
    QScrollArea *scrollArea() const { return m_scroll; }

    // Where box n stands, in twips of the editor's page.
    static QRect boxTwips(int n);
    static bool isFixedLine(int n) { return n == 52 || n == 57 || n == 104 || n == 114; }

    // Writes the 114 strings to data/languare.txt.
    bool save(QString *error = nullptr) const;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    InterfaceLanguage &m_service;
    std::array<QLineEdit *, TranslationTable::StringCount> m_boxes{};
    LanguageCode m_language{this};
    QScrollArea *m_scroll = nullptr;
};

} // namespace gravik
