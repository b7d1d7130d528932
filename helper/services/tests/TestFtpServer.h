// A small FTP server on 127.0.0.1 for the downloader's tests: one login, passive transfers of
// the files it is given, and a record of the commands it received.
#pragma once

#include "TestSocketServer.h"

#include <map>
#include <string>
#include <vector>

class CTestFtpServer : public CTestSocketServer {
public:
    CTestFtpServer(std::string user, std::string password)
        : user_(std::move(user)), password_(std::move(password)) {}
    ~CTestFtpServer() override { Stop(); }

    void AddFile(const std::string& path, const std::string& bytes) { files_[path] = bytes; }
    std::string Url(const std::string& path) const { return "ftp://" + Host() + path; }
    std::vector<std::string> Commands() const;

protected:
    void Serve(SOCKET connection) override;

private:
    bool ReadLine(SOCKET connection, std::string& pending, std::string& line);
    bool SendFile(SOCKET control, SOCKET& passive, const std::string& path);

    const std::string user_;
    const std::string password_;
    std::map<std::string, std::string> files_;
    std::vector<std::string> commands_;
};
