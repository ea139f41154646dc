#pragma once

#include "language/languagecode.h"
#include "register/blankregister.h"
#include "register/registerbook.h"
#include "register/registermodel.h"

#include <QWidget>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace gravik {

class WindowRegistry;

// The register of blanks: the entries under a filter (dates, state, a name or
// number), the gaps in each series, the next blank, state changes, and the
// book, the write-off act and the CSV export. A view of the register, which
// it does not own.
class RegisterWindow : public QWidget
{
    Q_OBJECT
public:
    explicit RegisterWindow(blanks::Register &reg);

    // Creation step: the language of data/lang.txt, then the register itself.
    void creationStep();

    LanguageCode &languageCode() { return m_language; }
    void applyLanguage(const QString &code);

    blanks::RegisterModel *model() const { return m_model; }
    QTableView *table() const { return m_table; }

    // The actions of its buttons.
    void setNextBlank();
    void spoilSelected();
    void restoreSelected();
    void writeOffBlank();
    void printBook(bool toPdf);
    void printAct(bool toPdf);
    void exportCsv();

protected:
    void changeEvent(QEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    QString code() const;
    void applyFilter();
    void showNextBlank();
    void showGaps();
    const blanks::Entry *selectedEntry() const;
    void printTable(const blanks::Table &table, bool toPdf);
    bool report(bool ok, const QString &error);

    blanks::Register &m_register;
    blanks::RegisterModel *m_model;
    LanguageCode m_language{this};
    QLabel *m_nextLabel, *m_fromLabel, *m_toLabel, *m_searchLabel, *m_gaps;
    QLineEdit *m_series, *m_digits, *m_search;
    QDateEdit *m_from, *m_to;
    QComboBox *m_state;
    QTableView *m_table;
    QPushButton *m_setNext, *m_spoil, *m_restore, *m_writeOff, *m_printBook, *m_bookPdf, *m_printAct, *m_actPdf,
        *m_csv;
};

// Opens the register on its first use; a register that cannot be had is told
// in a message, and false returned.
bool useRegister(blanks::Register &reg, QWidget *parent);
// What the operator is told when an unreadable register was moved aside.
QString movedAsideMessage(const QString &path, const QString &kept);

// Registers the window; its language follows the settings window's switch.
void registerRegisterWindow(WindowRegistry &registry, blanks::Register &reg);

// A picture button that shows the register window, placed on `parent` (a
// part of `window`) at (left, top) twips, its tooltip in the language `code` says.
void attachRegisterButton(QWidget &window, QWidget &parent, WindowRegistry &registry, const QString &name, int left,
                          int top, LanguageCode &code);

} // namespace gravik
