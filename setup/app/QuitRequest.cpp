#include "setup/app/QuitRequest.h"

#include <QCoreApplication>
#include <atomic>

namespace quillstone {

namespace {
std::atomic<bool> requested{false};
} // namespace

void QuitRequest::request() {
    record();
    QCoreApplication::quit();
}

void QuitRequest::record() { requested.store(true); }

bool QuitRequest::isRequested() { return requested.load(); }

} // namespace quillstone
