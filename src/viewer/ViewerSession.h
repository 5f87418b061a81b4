#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "viewer/ImageList.h"

namespace lorvane {

// The viewer's state without the window: its image list and the slide show (its own position in
// the list, its interval and its timer). The window puts each slide on screen through `show`.
class ViewerSession : public QObject {
    Q_OBJECT

public:
    // Puts the entry at `position` on screen; false when it cannot be shown.
    using ShowSlide = std::function<bool(int position, const QString& path)>;

    explicit ViewerSession(ShowSlide show, QObject* parent = nullptr);

    ImageList& list() { return m_list; }
    const ImageList& list() const { return m_list; }

    bool slideShowOn() const { return m_on; }
    // The entry the next tick tries first.
    int slidePosition() const { return m_slidePosition; }
    int slideInterval() const { return m_interval; }
    // The interval in milliseconds; 0 never ticks.
    void setSlideInterval(int milliseconds);
    // Starts after the list's position: the first slide comes one interval later.
    void startSlideShow();
    void stopSlideShow();

    // Shows the next slide, skipping quietly entries that cannot be shown (a running
    // show must not stop on a message), at most once round the list. A tick that arrives while
    // the slide before is still being put on screen (its decode is awaited in an event loop)
    // is dropped: it would load a second image and advance twice.
    void tick();

private:
    ShowSlide m_show;
    ImageList m_list;
    QTimer m_timer;
    int m_slidePosition = 0;
    int m_interval = 2000;
    bool m_on = false;
    bool m_showing = false;
};

}  // namespace lorvane
