#include "platform/qt/QtHttpClient.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace quillstone {

bool QtHttpClient::isFetchable(const std::string& url) {
    QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!address.isValid() || address.host().isEmpty()) {
        return false;
    }
    auto scheme = address.scheme().toLower();
    if (scheme == "https") {
        return true;
    }
    if (scheme != "http") {
        return false;
    }
    auto host = address.host().toLower();
    if (host == "localhost") {
        return true;
    }
    QHostAddress literal(host);
    return !literal.isNull() && literal.isLoopback();
}

void QtHttpClient::cancelAll() {
    std::lock_guard guard(lock_);
    cancelled_ = true;
    for (QNetworkReply* reply : inFlight_) {
        // Runs in the waiting thread, whose loop the posted call wakes.
        QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
    }
}

HttpResponse QtHttpClient::get(const std::string& url) {
    HttpResponse response;
    if (!isFetchable(url)) {
        return response;
    }
    {
        std::lock_guard guard(lock_);
        if (cancelled_) {
            return response;
        }
    }
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(QString::fromStdString(url)));
    request.setTransferTimeout(transferTimeoutMilliseconds);
    // Redirects stay within the same rules as the first address.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QEventLoop loop;
    QNetworkReply* reply = manager.get(request);
    {
        std::lock_guard guard(lock_);
        if (cancelled_) {
            reply->abort();
        } else {
            inFlight_.insert(reply);
        }
    }
    // Waiting on the reply's state rather than a connection to it: the network
    // thread would release that connection with locks ThreadSanitizer cannot see.
    while (!reply->isFinished()) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    {
        std::lock_guard guard(lock_);
        inFlight_.erase(reply);
    }
    auto status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        // An HTTP answer, whatever its status: the status decides, not Qt's error.
        response.transferred = true;
        response.statusCode = status.toInt();
        response.body = reply->readAll().toStdString();
    } else if (reply->error() == QNetworkReply::NoError) {
        response.transferred = true; // an answer, but not an HTTP one
    }
    delete reply;
    return response;
}

} // namespace quillstone
