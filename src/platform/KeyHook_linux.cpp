#include "KeyHook.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWindow>

// An application-wide event filter. Key events from the window system reach
// the top-level QWindow first and are then passed down to widgets, where the
// filter would see them again; looking only at the window's copy reports each
// key once.
class KeyHook::Filter : public QObject
{
public:
    explicit Filter(Procedure procedure)
        : m_procedure(std::move(procedure))
    { }

    bool installed = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            if (qobject_cast<QWindow*>(watched))
                OnKey(static_cast<QKeyEvent*>(event));
            break;
        case QEvent::ApplicationStateChange:
            if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() != Qt::ApplicationActive)
                OnDeactivated();
            break;
        case QEvent::ApplicationDeactivate:
            OnDeactivated();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void OnKey(QKeyEvent* key)
    {
        if (key->key() != Qt::Key_Alt && key->key() != Qt::Key_AltGr)
            return;
        if (key->isAutoRepeat())
            return;
        const bool down = key->type() == QEvent::KeyPress;
        m_held = down;
        if (m_procedure)
            m_procedure(down ? Key::AltDown : Key::AltUp);
    }

    void OnDeactivated()
    {
        if (!m_held)
            return;
        m_held = false;
        if (m_procedure)
            m_procedure(Key::AltUp);
    }

    Procedure m_procedure;
    bool m_held = false;
};

KeyHook::KeyHook(Procedure procedure)
    : m_filter(std::make_unique<Filter>(std::move(procedure)))
{ }

KeyHook::~KeyHook()
{
    uninstall();
}

bool KeyHook::install()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    if (!m_filter->installed) {
        app->installEventFilter(m_filter.get());
        m_filter->installed = true;
    }
    return true;
}

void KeyHook::uninstall()
{
    if (!m_filter->installed)
        return;
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(m_filter.get());
    m_filter->installed = false;
}

bool KeyHook::isInstalled() const
{
    return m_filter->installed;
}
