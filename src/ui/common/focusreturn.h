#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>

#include <cstdint>

struct xcb_connection_t;

namespace halyard {

// Hands the keyboard back from a window that took it for a moment (the panel) to the window
// that had it before. Under X11 it follows the root window's _NET_ACTIVE_WINDOW, so it knows the
// last window other than `window` the window manager made active. The window lets go of its focus
// widget either way, which is all that happens elsewhere or while no other window is known.
class FocusReturn : public QAbstractNativeEventFilter {
public:
    // `window` must be a top-level window.
    explicit FocusReturn(QWidget* window);
    ~FocusReturn() override;
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;

    void handBack();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void readActiveWindow();

    QPointer<QWidget> m_window;
    xcb_connection_t* m_connection = nullptr;
    uint32_t m_root = 0;
    uint32_t m_activeAtom = 0;
    // The last window other than ours that was active; 0 while none is known.
    uint32_t m_previous = 0;
};

} // namespace halyard
