// A scripted HTTP server on 127.0.0.1 for the downloader's tests: every request is answered
// by the test's handler, one request per connection; answers can be slow, cut off or never
// come. Every wait of the server is bounded by its stop.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
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

class CTestHttpServer {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    explicit CTestHttpServer(Handler handler);
    ~CTestHttpServer();
    CTestHttpServer(const CTestHttpServer&) = delete;
    CTestHttpServer& operator=(const CTestHttpServer&) = delete;

    // Listens on a free port of 127.0.0.1; false when it cannot.
    bool Start();
    // Ends every connection and thread.
    void Stop();
    int Port() const { return port_; }
    std::string Host() const;                       // "127.0.0.1:port"
    std::string Url(const std::string& path) const; // "http://127.0.0.1:port" + path
    std::vector<HttpRequest> Requests() const;

private:
    void AcceptLoop();
    void Serve(SOCKET connection);
    bool ReadRequest(SOCKET connection, HttpRequest& request);
    bool SendAll(SOCKET connection, const char* data, size_t length);
    // Sleeps up to `ms`; false when the server stops meanwhile.
    bool Pause(int ms);

    Handler handler_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    mutable std::mutex mutex_;
    std::vector<std::thread> connections_;
    std::vector<HttpRequest> requests_;
    bool winsockReady_ = false;
};
