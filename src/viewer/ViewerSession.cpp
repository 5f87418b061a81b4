#include "viewer/ViewerSession.h"

#include <utility>

namespace lorvane {

ViewerSession::ViewerSession(ShowSlide show, QObject* parent)
    : QObject(parent), m_show(std::move(show)) {
    m_timer.setSingleShot(false);
    m_timer.setInterval(m_interval);
    connect(&m_timer, &QTimer::timeout, this, &ViewerSession::tick);
}

void ViewerSession::setSlideInterval(int milliseconds) {
    m_interval = milliseconds;
    m_timer.setInterval(m_interval);
}

void ViewerSession::startSlideShow() {
    m_on = true;
    m_slidePosition = m_list.position() + 1;
    if (m_interval > 0) {
        m_timer.setInterval(m_interval);
        m_timer.start();
    }
}

void ViewerSession::stopSlideShow() {
    m_on = false;
    m_timer.stop();
}

void ViewerSession::tick() {
    const int count = m_list.count();
    if (count == 0 || m_showing)
        return;
    m_showing = true;
    for (int attempt = 0; attempt < count; ++attempt) {
        if (m_slidePosition >= count || m_slidePosition < 0)
            m_slidePosition = 0;
        const int position = m_slidePosition++;
        if (m_show(position, m_list.at(position)))
            break;
    }
    m_showing = false;
}

}  // namespace lorvane
