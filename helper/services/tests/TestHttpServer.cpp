#include "TestHttpServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>
#include <chrono>

namespace {

constexpr int kPollMs = 50;
constexpr size_t kMaxHeaderBytes = 64 * 1024;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

const char* ReasonOf(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 407:
        return "Proxy Authentication Required";
    case 416:
        return "Range Not Satisfiable";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

// Waits until the socket can be read, in slices that watch `stopping`.
bool WaitReadable(SOCKET socket, const std::atomic<bool>& stopping) {
    while (!stopping) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval slice{0, kPollMs * 1000};
        const int ready = select(0, &readable, nullptr, nullptr, &slice);
        if (ready < 0)
            return false;
        if (ready > 0)
            return true;
    }
    return false;
}

} // namespace

std::string HttpRequest::Header(const std::string& name) const {
    const auto found = headers.find(Lower(name));
    return found == headers.end() ? std::string() : found->second;
}

HttpResponse HttpResponse::Status(int status, std::string body) {
    HttpResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

HttpResponse HttpResponse::Redirect(int status, const std::string& location) {
    HttpResponse response;
    response.status = status;
    response.headers.emplace_back("Location", location);
    return response;
}

CTestHttpServer::CTestHttpServer(Handler handler) : handler_(std::move(handler)) {
    WSADATA data;
    winsockReady_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

CTestHttpServer::~CTestHttpServer() {
    Stop();
    if (winsockReady_)
        WSACleanup();
}

bool CTestHttpServer::Start() {
    if (!winsockReady_)
        return false;
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, SOMAXCONN) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return false;
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void CTestHttpServer::Stop() {
    stopping_ = true;
    if (acceptor_.joinable())
        acceptor_.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        connections.swap(connections_);
    }
    for (std::thread& connection : connections)
        connection.join();
    if (listener_ != INVALID_SOCKET)
        closesocket(listener_);
    listener_ = INVALID_SOCKET;
}

std::string CTestHttpServer::Host() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::string CTestHttpServer::Url(const std::string& path) const {
    return "http://" + Host() + path;
}

std::vector<HttpRequest> CTestHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void CTestHttpServer::AcceptLoop() {
    while (WaitReadable(listener_, stopping_)) {
        const SOCKET connection = accept(listener_, nullptr, nullptr);
        if (connection == INVALID_SOCKET)
            continue;
        std::lock_guard<std::mutex> lock(mutex_);
        connections_.emplace_back([this, connection] { Serve(connection); });
    }
}

bool CTestHttpServer::Pause(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (stopping_)
            return false;
        Sleep(std::min<DWORD>(kPollMs, static_cast<DWORD>(ms)));
    }
    return !stopping_;
}

bool CTestHttpServer::ReadRequest(SOCKET connection, HttpRequest& request) {
    std::string received;
    size_t end = std::string::npos;
    while ((end = received.find("\r\n\r\n")) == std::string::npos) {
        if (received.size() > kMaxHeaderBytes || !WaitReadable(connection, stopping_))
            return false;
        char buffer[4096];
        const int got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        received.append(buffer, static_cast<size_t>(got));
    }
    const std::string head = received.substr(0, end);
    size_t lineEnd = head.find("\r\n");
    const std::string requestLine = head.substr(0, lineEnd);
    const size_t space = requestLine.find(' ');
    const size_t secondSpace = requestLine.find(' ', space + 1);
    if (space == std::string::npos || secondSpace == std::string::npos)
        return false;
    request.method = requestLine.substr(0, space);
    request.target = requestLine.substr(space + 1, secondSpace - space - 1);
    while (lineEnd != std::string::npos) {
        const size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string line =
            head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        const size_t colon = line.find(':');
        if (colon != std::string::npos)
            request.headers[Lower(Trim(line.substr(0, colon)))] = Trim(line.substr(colon + 1));
    }
    return true;
}

bool CTestHttpServer::SendAll(SOCKET connection, const char* data, size_t length) {
    while (length) {
        const int sent =
            send(connection, data, static_cast<int>(std::min<size_t>(length, 65536)), 0);
        if (sent <= 0)
            return false;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

void CTestHttpServer::Serve(SOCKET connection) {
    HttpRequest request;
    if (ReadRequest(connection, request)) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
        }
        const HttpResponse response = handler_(request);
        if (response.silent) {
            while (Pause(kPollMs))
                ;
        } else {
            std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                               ReasonOf(response.status) + "\r\n";
            for (const auto& [name, value] : response.headers)
                head += name + ": " + value + "\r\n";
            if (response.contentLength)
                head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
            head += "Connection: close\r\n\r\n";
            bool open = SendAll(connection, head.data(), head.size());
            if (request.method != "HEAD") {
                const size_t bodyBytes = std::min(response.body.size(), response.cutAfter);
                const size_t chunk = response.chunkBytes ? response.chunkBytes : bodyBytes;
                for (size_t at = 0; open && at < bodyBytes; at += chunk) {
                    if (response.chunkDelayMs && !Pause(response.chunkDelayMs))
                        break;
                    open = SendAll(connection, response.body.data() + at,
                                   std::min(chunk, bodyBytes - at));
                }
            }
        }
    }
    shutdown(connection, SD_BOTH);
    closesocket(connection);
}
