#include "TestFtpServer.h"

#include <algorithm>
#include <cctype>

namespace {

// One passive data socket at a time, closed when replaced or at the end.
void CloseSocket(SOCKET& socket) {
    if (socket != INVALID_SOCKET)
        closesocket(socket);
    socket = INVALID_SOCKET;
}

} // namespace

std::vector<std::string> CTestFtpServer::Commands() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

bool CTestFtpServer::ReadLine(SOCKET connection, std::string& pending, std::string& line) {
    size_t end;
    while ((end = pending.find("\r\n")) == std::string::npos) {
        if (pending.size() > 4096 || !WaitReadable(connection))
            return false;
        char buffer[512];
        const int got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        pending.append(buffer, static_cast<size_t>(got));
    }
    line = pending.substr(0, end);
    pending.erase(0, end + 2);
    return true;
}

bool CTestFtpServer::SendFile(SOCKET control, SOCKET& passive, const std::string& path) {
    const auto file = files_.find(path);
    if (file == files_.end())
        return SendText(control, "550 No such file.\r\n");
    if (passive == INVALID_SOCKET)
        return SendText(control, "425 Use PASV first.\r\n");
    if (!SendText(control, "150 Opening BINARY mode data connection.\r\n") ||
        !WaitReadable(passive))
        return false;
    const SOCKET data = accept(passive, nullptr, nullptr);
    CloseSocket(passive);
    if (data == INVALID_SOCKET)
        return false;
    const bool sent = SendAll(data, file->second.data(), file->second.size());
    shutdown(data, SD_BOTH);
    closesocket(data);
    return SendText(control, sent ? "226 Transfer complete.\r\n" : "426 Transfer aborted.\r\n");
}

void CTestFtpServer::Serve(SOCKET connection) {
    SOCKET passive = INVALID_SOCKET;
    std::string pending;
    std::string line;
    std::string user;
    bool open = SendText(connection, "220 Test FTP ready.\r\n");
    while (open && ReadLine(connection, pending, line)) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            commands_.push_back(line);
        }
        const size_t space = line.find(' ');
        std::string verb = line.substr(0, space);
        std::transform(verb.begin(), verb.end(), verb.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
        if (verb == "USER") {
            user = argument;
            open = SendText(connection, "331 Password required.\r\n");
        } else if (verb == "PASS") {
            const bool accepted = user == user_ && argument == password_;
            open =
                SendText(connection, accepted ? "230 Logged in.\r\n" : "530 Login incorrect.\r\n");
        } else if (verb == "PASV") {
            CloseSocket(passive);
            int port = 0;
            passive = Listen(port);
            open = SendText(connection, "227 Entering Passive Mode (127,0,0,1," +
                                            std::to_string(port / 256) + "," +
                                            std::to_string(port % 256) + ").\r\n");
        } else if (verb == "RETR") {
            open = SendFile(connection, passive, argument);
        } else if (verb == "TYPE" || verb == "NOOP" || verb == "MODE" || verb == "STRU") {
            open = SendText(connection, "200 OK.\r\n");
        } else if (verb == "PWD") {
            open = SendText(connection, "257 \"/\" is the current directory.\r\n");
        } else if (verb == "CWD") {
            open = SendText(connection, "250 OK.\r\n");
        } else if (verb == "SYST") {
            open = SendText(connection, "215 UNIX Type: L8\r\n");
        } else if (verb == "QUIT") {
            SendText(connection, "221 Bye.\r\n");
            break;
        } else {
            open = SendText(connection, "502 Not implemented.\r\n");
        }
    }
    CloseSocket(passive);
}
