#pragma once

#include "language/languagecode.h"

#include <QString>
#include <QWidget>

#include <functional>

namespace gravik {

class HoverRouter;
class ImageButton;
class SpreadsheetView;
class WorkbookModel;

// The student database window: the grid with the database in it, Save and
// Import. It is also the holder of the loaded database for the rest of the
// program, so it is created hidden whenever the grid is needed.
class BazaWindow : public QWidget
{
    Q_OBJECT
public:
    // The client area as built and the frame the stored outer size includes.
    static constexpr int ClientWidthTwips = 15735, ClientHeightTwips = 10170;
    static constexpr int FrameWidthTwips = 250, FrameHeightTwips = 515;
    // The grid fills the outer size less these.
    static constexpr int GridMarginWidthTwips = 250, GridMarginHeightTwips = 1430;
    static constexpr int GridTopTwips = 840;

    // The dialogs the window asks through; tests put their own in.
    struct Dialogs {
        // A message with an OK button only.
        std::function<void(QWidget *parent, const QString &title, const QString &text)> message;
        // The import dialog: the chosen file, empty when none was chosen.
        std::function<QString(QWidget *parent, const QString &directory)> openFile;
        // Whether to save unsaved changes (true: "Сохранить").
        std::function<bool(QWidget *parent)> askSave;
    };
    static Dialogs &dialogs();
    static Dialogs standardDialogs();

    explicit BazaWindow(QWidget *parent = nullptr);
    ~BazaWindow() override;

    // Loads Baza.xml, reads the language, takes the stored outer size.
    void creationStep();

    // Writes a cell of the worksheet "Sheet1" by its A1 reference; false when
    // the workbook has no such sheet.
    Q_INVOKABLE bool writeSheet1Cell(const QString &a1Ref, const QString &text);

    LanguageCode &languageCode() { return m_language; }
    WorkbookModel *model() const { return m_model; }
    SpreadsheetView *spreadsheet() const { return m_grid; }
    const QString &databasePath() const { return m_path; }

    // Save: false (after the message) when the file could not be written.
    bool save();
    // Import: asks for a file and loads it into the grid; false when none was
    // chosen or it could not be read (the grid stays as it was).
    bool importFile();
    bool importFrom(const QString &path);

    bool hasUnsavedChanges() const;
    // The program is ending: asks once whether to save unsaved changes.
    void offerSaveBeforeExit();

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
    void reportLoadFailure(const QString &message);

    LanguageCode m_language{this};
    WorkbookModel *m_model = nullptr;
    SpreadsheetView *m_grid = nullptr;
    ImageButton *m_save = nullptr;
    ImageButton *m_import = nullptr;
    HoverRouter *m_hover = nullptr;
    QString m_path;       // Baza.xml of the program directory
    QString m_lastImport; // the file named by the last import dialog
    bool m_keepOnSave = false; // Baza.xml failed to load: keep it aside before replacing it
};

} // namespace gravik
