#include "TestHttpServer.h"

#include <algorithm>
#include <cctype>

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

std::string CTestHttpServer::Url(const std::string& path) const {
    return "http://" + Host() + path;
}

std::vector<HttpRequest> CTestHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

bool CTestHttpServer::ReadRequest(SOCKET connection, HttpRequest& request) {
    std::string received;
    size_t end = std::string::npos;
    while ((end = received.find("\r\n\r\n")) == std::string::npos) {
        if (received.size() > kMaxHeaderBytes || !WaitReadable(connection))
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
}
