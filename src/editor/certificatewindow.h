#pragma once

#include "core/certificate.h"
#include "core/pagerenderer.h"
#include "language/languagecode.h"
#include "widgets/pageeditor.h"
#include "widgets/programsteps.h"

#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QScrollBar;
class QStringListModel;

namespace gravik {

class BlankControls;
class CertificateHistory;
class FieldLabel;
class HoverRouter;
class ImageButton;
class WindowRegistry;

// The main window: the data-entry panel over a full-size preview of the page.
class CertificateWindow : public QWidget, public PageEditor
{
    Q_OBJECT
public:
    using FontSource = std::function<QStringList()>;

    // A view of doc, which it does not own. fonts: where the installed font
    // families come from (tests give their own).
    explicit CertificateWindow(CertificateDocument &doc, FontSource fonts = {}, QWidget *parent = nullptr);
    ~CertificateWindow() override;

    void setProgramSteps(ProgramSteps steps) { m_steps = std::move(steps); }

    // Runs the start-up from the font lists on; false and *error (naming the
    // file, the line and the value) when the state file cannot be used. The
    // pupil list and its first pupil come once the database has been read,
    // which may be after the window is shown.
    bool startUp(QString *error);
    // Completes the start-up now: the pupil list, waiting for the database.
    void finishStartUp();

    // Saves the state file and ends the program; runs once, however it is reached
    // (close box, SIGTERM, session end). False when the file could not be written.
    bool shutDown();

    // Buttons whose window exists in the registry become usable.
    void setRegistry(WindowRegistry *registry);
    WindowRegistry *registry() const { return m_registry; }

    QLineEdit *box(const QString &name) const;
    QLineEdit *box(Value v) const { return m_boxes[size_t(v)]; }
    FieldLabel *fieldLabel(int number) const { return m_labels.at(number - 1); }
    QComboBox *pupilList() const { return m_pupilList; }
    ImageButton *button(const QString &name) const;
    LanguageCode &languageCode() { return m_language; }
    CertificateDocument &document() const { return m_doc; }
    const CoordinateTable &coordinates() const { return m_doc.coordinates(); }

    // Panel: open (full height) or closed (top strip only).
    bool panelOpen() const;
    void openPanel();
    void closePanel();
    QFrame *panel() const { return m_panel; }
    void setPanelShown(bool shown) override;

    // Field selection and positioning.
    int selectedField() const { return m_selected; }
    void selectField(int number);

    // The normal field colour (button text); printing resets every field to it.
    static QColor normalFieldColor();
    void resetFieldColours() override;

    // Font controls.
    void rebuildFontList();
    QFont fieldFont() const { return m_doc.font(); }

    HoverRouter *hoverRouter() const { return m_hover; }

    // Moves and font choices Ctrl+Z takes back; the scanned blank under the page.
    CertificateHistory &history() const { return *m_history; }
    BlankControls &blank() const { return *m_blank; }

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPanel();
    void buildPreview();
    void connectDocument();
    void placeField(int number);
    void showFontTexts();
    void moveSelected(bool horizontal, int value);
    void showSelectedPosition();
    void setLowerPartVisible(bool visible);

    FontSource m_fonts;
    ProgramSteps m_steps;
    WindowRegistry *m_registry = nullptr;
    CertificateDocument &m_doc;
    LanguageCode m_language{this};
    int m_selected = 0; // 0: no field selected
    bool m_shutDown = false;

    QFrame *m_panel = nullptr;
    QComboBox *m_fontList = nullptr;
    QComboBox *m_styleList = nullptr;
    QComboBox *m_sizeList = nullptr;
    QComboBox *m_pupilList = nullptr;
    QStringListModel *m_fontModel = nullptr;
    QCheckBox *m_letters = nullptr;
    QScrollBar *m_xBar = nullptr;
    QScrollBar *m_yBar = nullptr;
    std::array<FieldLabel *, 33> m_labels{};
    std::array<QLineEdit *, ValueCount> m_boxes{};
    HoverRouter *m_hover = nullptr;
    CertificateHistory *m_history = nullptr;
    BlankControls *m_blank = nullptr;
};

} // namespace gravik
