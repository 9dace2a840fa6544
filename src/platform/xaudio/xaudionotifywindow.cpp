#include "platform/xaudio/xaudionotifywindow.h"

#include <QMetaObject>

namespace audrel {

XaudioNotifyWindow::XaudioNotifyWindow(Procedure procedure, QObject* parent)
    : QObject(parent), m_procedure(std::move(procedure)), m_target{&XaudioNotifyWindow::post, this}
{
}

XaudioNotifyWindow::~XaudioNotifyWindow() = default;

void XaudioNotifyWindow::post(void* context, unsigned int msg, uintptr_t wparam, intptr_t lparam)
{
    auto* window = static_cast<XaudioNotifyWindow*>(context);
    {
        std::lock_guard lock(window->m_mutex);
        window->m_posted.push_back({msg, wparam, lparam});
    }
    QMetaObject::invokeMethod(window, &XaudioNotifyWindow::deliverOne, Qt::QueuedConnection);
}

void XaudioNotifyWindow::deliverOne()
{
    Posted posted;
    {
        std::lock_guard lock(m_mutex);
        if (m_posted.empty()) return;
        posted = m_posted.front();
        m_posted.pop_front();
    }
    m_procedure(posted.msg, posted.wparam, posted.lparam);
}

void XaudioNotifyWindow::discardPending(const Procedure& release)
{
    std::deque<Posted> posted;
    {
        std::lock_guard lock(m_mutex);
        posted.swap(m_posted);
    }
    for (const Posted& p : posted)
        release(p.msg, p.wparam, p.lparam);
}

int XaudioNotifyWindow::pendingCount()
{
    std::lock_guard lock(m_mutex);
    return int(m_posted.size());
}

} // namespace audrel
