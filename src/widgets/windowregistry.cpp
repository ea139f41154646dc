#include "widgets/windowregistry.h"

#include "language/languagecode.h"

namespace gravik {

WindowRegistry::WindowRegistry(QObject *parent) : QObject(parent) {}

WindowRegistry::~WindowRegistry() { destroyAll(); }

void WindowRegistry::setFactory(WindowKind kind, Factory factory, CreationStep creation)
{
    m_factories[kind] = {std::move(factory), std::move(creation)};
}

QWidget *WindowRegistry::existing(WindowKind kind) const
{
    const auto it = m_windows.find(kind);
    return it == m_windows.end() ? nullptr : it->second.data();
}

QWidget *WindowRegistry::get(WindowKind kind)
{
    if (QWidget *w = existing(kind))
        return w;
    const auto f = m_factories.find(kind);
    if (f == m_factories.end())
        return nullptr;
    QWidget *w = f->second.first();
    if (!w)
        return nullptr;
    w->setAttribute(Qt::WA_DeleteOnClose);
    m_windows[kind] = w;
    emit registered(kind, w);
    if (f->second.second)
        f->second.second(w);
    return w;
}

QWidget *WindowRegistry::show(WindowKind kind)
{
    QWidget *w = get(kind);
    if (!w)
        return nullptr;
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

void WindowRegistry::destroyAll()
{
    for (auto &[kind, w] : m_windows)
        delete w.data(); // no close event: closing steps do not run
    m_windows.clear();
}

void followLanguage(WindowRegistry &registry, QObject *context, LanguageCode &own,
                    const std::function<void(const QString &)> &apply)
{
    auto wanted = [apply](const QString &code) {
        if (code == LanguageCode::Russian || code == LanguageCode::Kazakh)
            apply(code);
    };
    QObject::connect(&own, &LanguageCode::changed, context, wanted);
    auto watchSettings = [context, wanted](QWidget *settings) {
        if (auto *code = settings ? settings->findChild<LanguageCode *>(QString(), Qt::FindDirectChildrenOnly) : nullptr)
            QObject::connect(code, &LanguageCode::changed, context, wanted);
    };
    watchSettings(registry.existing(WindowKind::Settings));
    QObject::connect(&registry, &WindowRegistry::registered, context, [watchSettings](WindowKind kind, QWidget *w) {
        if (kind == WindowKind::Settings)
            watchSettings(w);
    });
}

} // namespace gravik
