#pragma once

#include "language/languagecode.h"

#include <QString>
#include <QWidget>

#include <functional>

namespace gravik {

class HoverRouter;
class ImageButton;
class SpreadsheetView;
class StudentDatabase;
class WorkbookModel;

// The student database window: the grid over the database, Save and Import.
class StudentDatabaseWindow : public QWidget
{
    Q_OBJECT
public:
    // The client area as built and the frame the stored outer size includes.
    static constexpr int ClientWidthTwips = 15735, ClientHeightTwips = 10170;
    static constexpr int FrameWidthTwips = 250, FrameHeightTwips = 515;
    // The grid fills the outer size less these.
    static constexpr int GridMarginWidthTwips = 250, GridMarginHeightTwips = 1430;
    static constexpr int GridTopTwips = 840;

    // A view of db, which it does not own.
    explicit StudentDatabaseWindow(StudentDatabase &db, QWidget *parent = nullptr);
    ~StudentDatabaseWindow() override;

    // Brings the database into use (reading Baza.xml unless it is already),
    // reads the language, takes the stored outer size.
    void creationStep();

    // Tells the operator the database could not be read; the same failure
    // is told once.
    static void reportLoad(bool ok, const QString &message);

    LanguageCode &languageCode() { return m_language; }
    StudentDatabase &database() const { return m_db; }
    WorkbookModel *model() const;
    SpreadsheetView *spreadsheet() const { return m_grid; }

    // Save: false (after the message) when the file could not be written.
    bool save();
    static bool save(StudentDatabase &db, QWidget *parent);
    // Import: asks for a file and loads it into the grid; false when none was
    // chosen or it could not be read (the grid stays as it was).
    bool importFile();
    bool importFrom(const QString &path);

    bool hasUnsavedChanges() const;
    // The program is ending: asks once whether to save unsaved changes, in
    // the interface language code.
    static void offerSaveBeforeExit(StudentDatabase &db, QWidget *parent, const QString &code);
    // Whether to save unsaved changes (true: save), asked in the language code.
    static bool askSaveChanges(QWidget *parent, const QString &code);

    QSize outerSizeTwips() const;
    void setOuterWidthTwips(int width);
    void setOuterHeightTwips(int height);

protected:
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    void fitGrid();
    void writeSize();

    StudentDatabase &m_db;
    LanguageCode m_language{this};
    SpreadsheetView *m_grid = nullptr;
    ImageButton *m_save = nullptr;
    ImageButton *m_import = nullptr;
    HoverRouter *m_hover = nullptr;
    QString m_lastImport; // the file named by the last import dialog
    QSize m_storedSize;   // outer, in twips, as read at creation
    QSize m_storedPixels; // the size that gave
};

} // namespace gravik
