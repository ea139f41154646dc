#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>

namespace gravik {

enum class WindowKind { Print, Baza, Settings, Lang, Help, Register };

// Owns the program's secondary windows. get() creates a window on first use,
// hidden; show() creates it if needed and shows it modeless or brings it forward.
// A window closed by its close box runs its own closing step (closeEvent) and is
// deleted; the next get() creates it again. At program end destroyAll() deletes
// the rest without their closing steps.
class WindowRegistry : public QObject
{
    Q_OBJECT
public:
    using Factory = std::function<QWidget *()>;     // builds the window's controls
    using CreationStep = std::function<void(QWidget *)>; // reads its files, applies the language

    explicit WindowRegistry(QObject *parent = nullptr);
    ~WindowRegistry() override;

    void setMainWindow(QWidget *w) { m_main = w; }
    QWidget *mainWindow() const { return m_main; }

    // The creation step runs after the window is registered, so a window that
    // reaches itself through the registry while it loads finds itself.
    void setFactory(WindowKind kind, Factory factory, CreationStep creation = {});

    QWidget *get(WindowKind kind);
    QWidget *existing(WindowKind kind) const;
    QWidget *show(WindowKind kind);
    void destroyAll();

    // A window class W with a creationStep() of its own, built by make().
    template <class W, class Make> void add(WindowKind kind, Make make)
    {
        setFactory(kind, [make]() -> QWidget * { return make(); },
                   [](QWidget *w) { static_cast<W *>(w)->creationStep(); });
    }

    template <class T> T *get(WindowKind kind) { return qobject_cast<T *>(get(kind)); }
    template <class T> T *existing(WindowKind kind) const { return qobject_cast<T *>(existing(kind)); }

signals:
    // After the window is built and registered, before its creation step runs:
    // the place to connect to it (e.g. its LanguageCode) before it loads.
    void registered(gravik::WindowKind kind, QWidget *window);

private:
    QPointer<QWidget> m_main;
    std::map<WindowKind, std::pair<Factory, CreationStep>> m_factories;
    std::map<WindowKind, QPointer<QWidget>> m_windows;
};

class LanguageCode;

// Calls apply (while context lives) with a window's own language code and
// with the settings window's whenever the operator switches the language
// there: for captions the program added, which the language's tables do not
// reach. Codes that select no language are passed over.
void followLanguage(WindowRegistry &registry, QObject *context, LanguageCode &own,
                    const std::function<void(const QString &)> &apply);

} // namespace gravik
