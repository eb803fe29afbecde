// CurlHttpEngine: one HTTP/1.0 GET at a time on libcurl, driven from the Qt event loop.
#pragma once

#include "httpengine.h"

#include <curl/curl.h>
#include <memory>

class CurlSocketDriver;

// The body goes to a temporary file beside the target as it arrives; only a successful
// get renames it over the target. Only a final 2xx answer is a success; redirects are
// followed, at most HttpGet::MaxRedirects of them and only to http or https.
class CurlHttpEngine : public HttpEngine
{
public:
    CurlHttpEngine();
    ~CurlHttpEngine() override;

    HttpGetResult get(const HttpRequest &request, HttpEvents &events) override;
    void abort() override;
    qint64 received() const override { return m_received; }

private:
    struct Transfer;
    struct Event;

    static size_t headerCallback(char *data, size_t size, size_t count, void *self);
    static size_t writeCallback(char *data, size_t size, size_t count, void *self);
    CurlSocketDriver &driver();
    bool setUp(Transfer &t, const HttpRequest &request);
    HttpGetResult run(const HttpRequest &request);
    HttpGetResult outcome(const Transfer &t) const;
    void takeHeaderLine(QByteArray line);
    bool takeBody(const char *data, qint64 length);
    void deliverEvents();
    void deliver(const Event &event);

    std::unique_ptr<CurlSocketDriver> m_driver;
    std::unique_ptr<Transfer> m_transfer; // set while a get runs
    qint64 m_received = 0;
};
