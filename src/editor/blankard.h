#pragma once

#include "core/coordinatetable.h"
#include "core/pagelayout.h"
#include "language/languagecode.h"

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

class FieldLabel;
class HoverRouter;
class ImageButton;
class WindowRegistry;

// The main window: the data-entry panel over a full-size preview of the page.
class Blankard : public QWidget
{
    Q_OBJECT
public:
    using FontSource = std::function<QStringList()>;

    // fonts: where the installed font families come from (tests give their own).
    explicit Blankard(FontSource fonts = {}, QWidget *parent = nullptr);
    ~Blankard() override;

    // The subsystems' parts of the start-up; each may be left empty.
    struct StartupSteps {
        std::function<void()> fillPupilList;    // after the fields are styled
        std::function<void()> readLanguage;     // after the pupil list is filled
        std::function<void()> chooseFirstPupil; // last
    };
    void setStartupSteps(StartupSteps steps) { m_steps = std::move(steps); }

    // Runs the start-up from the font lists on; false and *error (naming the
    // file, the line and the value) when the state file cannot be used.
    bool startUp(QString *error);

    // Saves the state file and ends the program; runs once, however it is reached
    // (close box, SIGTERM, session end). False when the file could not be written.
    bool shutDown();

    // Buttons whose window exists in the registry become usable.
    void setRegistry(WindowRegistry *registry);
    WindowRegistry *registry() const { return m_registry; }

    QLineEdit *box(const QString &name) const;
    FieldLabel *fieldLabel(int number) const { return m_labels.at(number - 1); }
    QComboBox *pupilList() const { return m_combo12; }
    ImageButton *button(const QString &name) const;
    LanguageCode &languageCode() { return m_language; }
    const CoordinateTable &coordinates() const { return m_table; }

    // Panel: open (full height) or closed (top strip only).
    bool panelOpen() const;
    void openPanel();
    void closePanel();
    QFrame *panel() const { return m_panel; }

    // Field selection and positioning.
    int selectedField() const { return m_selected; }
    void selectField(int number);

    // The normal field colour (button text); printing resets every field to it.
    static QColor normalFieldColor();
    void resetFieldColours();

    // What the page shows now, field by field.
    std::vector<page::FieldContent> pageContent() const;

    // Font controls.
    void rebuildFontList();
    void applyFontName();
    void applyStyle();
    void applySize();
    QFont fieldFont() const { return m_font; }

    HoverRouter *hoverRouter() const { return m_hover; }

signals:
    void shuttingDown();

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPanel();
    void buildPreview();
    void loadState(const class StateFile &state);
    class StateFile currentState() const;
    void placeField(int number);
    void placeAllFields();
    void setFieldFont(const QFont &f);
    void moveSelected(bool horizontal, int value);
    void setLetters(bool ticked);
    void setLowerPartVisible(bool visible);

    FontSource m_fonts;
    StartupSteps m_steps;
    WindowRegistry *m_registry = nullptr;
    CoordinateTable m_table;
    LanguageCode m_language{this};
    QFont m_font;
    int m_selected = 0; // 0: no field selected
    bool m_shutDown = false;

    QFrame *m_panel = nullptr;
    QComboBox *m_combo9 = nullptr;
    QComboBox *m_combo10 = nullptr;
    QComboBox *m_combo11 = nullptr;
    QComboBox *m_combo12 = nullptr;
    QStringListModel *m_fontModel = nullptr;
    QCheckBox *m_check1 = nullptr;
    QScrollBar *m_hscroll = nullptr;
    QScrollBar *m_vscroll = nullptr;
    std::array<FieldLabel *, 33> m_labels{};
    HoverRouter *m_hover = nullptr;
};

} // namespace gravik
