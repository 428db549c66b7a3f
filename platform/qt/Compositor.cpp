#include "platform/qt/Compositor.h"

#include <QGuiApplication>
#include <QString>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace quillstone::Compositor {

namespace {

int screenNumber() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr) {
        return 0;
    }
    QString text = QString::fromLocal8Bit(display);
    auto dot = text.lastIndexOf('.');
    auto colon = text.lastIndexOf(':');
    if (dot < 0 || dot < colon) {
        return 0;
    }
    bool ok = false;
    int number = text.mid(dot + 1).toInt(&ok);
    return ok ? number : 0;
}

} // namespace

bool isRunning() {
    auto* application = qGuiApp;
    if (application == nullptr) {
        return false;
    }
    auto platform = QGuiApplication::platformName();
    if (platform.startsWith("wayland")) {
        return true;
    }
    if (platform != "xcb") {
        return false;
    }
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return false;
    }
    xcb_connection_t* connection = x11->connection();
    auto name = QByteArray("_NET_WM_CM_S") + QByteArray::number(screenNumber());
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, name.size(), name.constData()), nullptr),
        &std::free);
    if (!atom) {
        return false;
    }
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
        &std::free);
    return owner && owner->owner != XCB_NONE;
}

} // namespace quillstone::Compositor
