// A TCP server on 127.0.0.1 for the tests: accepts connections and serves each on its own
// thread; every wait is bounded by the server's stop.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CTestSocketServer {
public:
    CTestSocketServer();
    virtual ~CTestSocketServer();
    CTestSocketServer(const CTestSocketServer&) = delete;
    CTestSocketServer& operator=(const CTestSocketServer&) = delete;

    // Listens on a free port of 127.0.0.1; false when it cannot.
    bool Start();
    // Ends every connection and thread; a derived server calls it first in its destructor.
    void Stop();
    int Port() const { return port_; }
    std::string Host() const; // "127.0.0.1:port"

protected:
    // Serves one accepted connection, which is closed afterwards.
    virtual void Serve(SOCKET connection) = 0;

    // A listening socket on a free port of 127.0.0.1, or INVALID_SOCKET.
    static SOCKET Listen(int& port);
    // Waits until the socket can be read (or accept); false when the server stops first.
    bool WaitReadable(SOCKET socket) const;
    static bool SendAll(SOCKET connection, const char* data, size_t length);
    bool SendText(SOCKET connection, const std::string& text) const {
        return SendAll(connection, text.data(), text.size());
    }
    // Sleeps up to `ms`; false when the server stops meanwhile.
    bool Pause(int ms) const;
    bool Stopping() const { return stopping_; }

    mutable std::mutex mutex_;

private:
    void AcceptLoop();

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::vector<std::thread> connections_;
    bool winsockReady_ = false;
};
