#pragma once

#include "language/languagecode.h"

#include <QWidget>

namespace gravik {

class HoverRouter;
class WindowRegistry;

// The settings window `Nastroiki`: the interface language, the link to the
// translation editor, the default printer and the Kazakh driver installer. Its
// language code is the one that applies a language to every window; closing the
// window is the only moment the code is stored in data/lang.txt.
class SettingsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsWindow(WindowRegistry *registry, QWidget *parent = nullptr);

    // Reads data/lang.txt into the language code.
    void creationStep();

    LanguageCode &languageCode() { return m_language; }
    HoverRouter *hoverRouter() const { return m_hover; }

    // The program the driver button starts, by bare name.
    static inline const QString DriverInstaller = QStringLiteral("setup.exe");

    void openTranslationEditor();
    // Lets the operator pick the system's default printer; cancelling or any
    // error changes nothing and shows nothing.
    void chooseDefaultPrinter();
    // Starts the installer without waiting; tells the operator when it cannot start.
    void startDriverInstaller();

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    WindowRegistry *m_registry;
    LanguageCode m_language{this};
    bool m_haveCode = false; // nothing read and nothing chosen: nothing to store
    HoverRouter *m_hover = nullptr;
};

// The settings and About windows.
void registerSettings(WindowRegistry &registry);

} // namespace gravik
