// A scripted HTTP server on 127.0.0.1 for the downloader's tests: every request is answered
// by the test's handler, one request per connection; answers can be slow, cut off or never
// come.
#pragma once

#include "TestSocketServer.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

struct HttpRequest {
    std::string method;
    std::string target;
    std::map<std::string, std::string> headers; // names in lower case

    std::string Header(const std::string& name) const;
};

struct HttpResponse {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    bool contentLength = true;           // announce the body's full length
    size_t cutAfter = std::string::npos; // close the connection after this many body bytes
    size_t chunkBytes = 0;               // send the body in chunks of this size ...
    int chunkDelayMs = 0;                // ... with this pause before each
    bool silent = false;                 // never answer; hold the connection until the stop

    static HttpResponse Status(int status, std::string body = std::string());
    static HttpResponse Redirect(int status, const std::string& location);
};

class CTestHttpServer : public CTestSocketServer {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    explicit CTestHttpServer(Handler handler) : handler_(std::move(handler)) {}
    ~CTestHttpServer() override { Stop(); }

    std::string Url(const std::string& path) const; // "http://127.0.0.1:port" + path
    std::vector<HttpRequest> Requests() const;

protected:
    void Serve(SOCKET connection) override;

private:
    bool ReadRequest(SOCKET connection, HttpRequest& request);

    Handler handler_;
    std::vector<HttpRequest> requests_;
};
