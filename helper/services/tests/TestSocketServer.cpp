#include "TestSocketServer.h"

#include <algorithm>
#include <chrono>

namespace {
constexpr int kPollMs = 50;
}

CTestSocketServer::CTestSocketServer() {
    WSADATA data;
    winsockReady_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

CTestSocketServer::~CTestSocketServer() {
    Stop();
    if (winsockReady_)
        WSACleanup();
}

SOCKET CTestSocketServer::Listen(int& port) {
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        return INVALID_SOCKET;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, SOMAXCONN) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener);
        return INVALID_SOCKET;
    }
    port = ntohs(address.sin_port);
    return listener;
}

bool CTestSocketServer::Start() {
    if (!winsockReady_)
        return false;
    listener_ = Listen(port_);
    if (listener_ == INVALID_SOCKET)
        return false;
    acceptor_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void CTestSocketServer::Stop() {
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

std::string CTestSocketServer::Host() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void CTestSocketServer::AcceptLoop() {
    while (WaitReadable(listener_)) {
        const SOCKET connection = accept(listener_, nullptr, nullptr);
        if (connection == INVALID_SOCKET)
            continue;
        std::lock_guard<std::mutex> lock(mutex_);
        connections_.emplace_back([this, connection] {
            Serve(connection);
            shutdown(connection, SD_BOTH);
            closesocket(connection);
        });
    }
}

bool CTestSocketServer::WaitReadable(SOCKET socket) const {
    while (!stopping_) {
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

bool CTestSocketServer::SendAll(SOCKET connection, const char* data, size_t length) {
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

bool CTestSocketServer::Pause(int ms) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (stopping_)
            return false;
        Sleep(static_cast<DWORD>(std::min(kPollMs, ms)));
    }
    return !stopping_;
}
