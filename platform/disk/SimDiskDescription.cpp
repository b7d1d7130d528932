#include "SimDiskDescription.h"

#include <owners/WinOwners.h>

#include <sstream>

#include <windows.h>

namespace {

std::wstring Widen(const std::string& text) {
    if (text.empty())
        return {};
    const int chars =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), chars);
    return wide;
}

// "-" stands for an empty field.
std::wstring Field(const std::string& word) {
    return word == "-" ? std::wstring() : Widen(word);
}

bool ParseNumber(const std::string& word, uint64_t& value) {
    if (word.empty())
        return false;
    try {
        size_t used = 0;
        value = std::stoull(word, &used, 0);
        return used == word.size();
    } catch (...) {
        return false;
    }
}

template <typename T> bool ParseAs(std::istringstream& words, T& value) {
    std::string word;
    uint64_t number = 0;
    if (!(words >> word) || !ParseNumber(word, number) || number > static_cast<T>(~T{}))
        return false;
    value = static_cast<T>(number);
    return true;
}

bool ParseRaw(const std::string& hex, std::array<uint8_t, 6>& raw) {
    if (hex.size() != 12)
        return false;
    for (size_t i = 0; i < 6; ++i) {
        uint64_t byte = 0;
        if (!ParseNumber("0x" + hex.substr(i * 2, 2), byte))
            return false;
        raw[i] = static_cast<uint8_t>(byte);
    }
    return true;
}

bool ParseLine(const std::string& key, const std::string& rest, SimDiskDescription& disk) {
    std::istringstream words(rest);
    std::string word;
    if (key == "geometry")
        return ParseAs(words, disk.bytesPerSector) && ParseAs(words, disk.sectorsPerTrack) &&
               ParseAs(words, disk.tracksPerCylinder) && ParseAs(words, disk.cylinders) &&
               disk.bytesPerSector >= 512 && (disk.bytesPerSector & (disk.bytesPerSector - 1)) == 0;
    if (key == "backing") {
        disk.backingFile = Widen(rest);
        return !rest.empty();
    }
    if (key == "model" || key == "serial" || key == "firmware" || key == "vendor" ||
        key == "product" || key == "revision") {
        std::string& target = key == "model"      ? disk.model
                              : key == "serial"   ? disk.serial
                              : key == "firmware" ? disk.firmware
                              : key == "vendor"   ? disk.vendor
                              : key == "product"  ? disk.product
                                                  : disk.revision;
        target = rest;
        return true;
    }
    if (key == "word") {
        uint32_t index = 0;
        uint16_t value = 0;
        if (!ParseAs(words, index) || !ParseAs(words, value) || index >= 256)
            return false;
        disk.identifyWords.emplace_back(index, value);
        return true;
    }
    if (key == "atapi" || key == "smart") {
        (key == "atapi" ? disk.atapi : disk.smart) = rest == "yes";
        return rest == "yes" || rest == "no";
    }
    if (key == "capabilities")
        return ParseAs(words, disk.capabilities);
    if (key == "attribute") {
        SimSmartAttribute a;
        if (!ParseAs(words, a.id) || !ParseAs(words, a.flags) || !ParseAs(words, a.current) ||
            !ParseAs(words, a.worst) || !ParseAs(words, a.threshold) || !(words >> word) ||
            !ParseRaw(word, a.raw))
            return false;
        disk.attributes.push_back(a);
        return true;
    }
    if (key == "bus") {
        disk.usb = rest == "usb";
        return rest == "usb" || rest == "ata";
    }
    if (key == "style") {
        disk.gpt = rest == "gpt";
        return rest == "gpt" || rest == "mbr";
    }
    if (key == "partition") {
        SimPartition p;
        uint8_t boot = 0;
        if (!ParseAs(words, p.number) || !ParseAs(words, p.type) || !ParseAs(words, boot) ||
            !ParseAs(words, p.start) || !ParseAs(words, p.length))
            return false;
        p.boot = boot != 0;
        disk.partitions.push_back(p);
        return true;
    }
    if (key == "volume") {
        SimVolume v;
        std::string path, label, fileSystem;
        if (!ParseAs(words, v.partitionNumber) || !(words >> path >> label >> fileSystem) ||
            !ParseAs(words, v.totalBytes) || !ParseAs(words, v.freeBytes))
            return false;
        v.mountPath = Field(path);
        v.label = Field(label);
        v.fileSystem = Field(fileSystem);
        disk.volumes.push_back(v);
        return true;
    }
    if (key == "fault") {
        if (rest == "read")
            disk.failReads = true;
        else if (rest == "open")
            disk.failOpen = true;
        else
            return false;
        return true;
    }
    return false;
}

} // namespace

std::optional<SimDiskDescription> ParseSimDiskDescription(const std::string& text,
                                                          std::string* error) {
    SimDiskDescription disk;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const size_t blank = line.find(' ');
        const std::string key = line.substr(0, blank);
        const std::string rest =
            blank == std::string::npos ? std::string() : line.substr(blank + 1);
        if (!ParseLine(key, rest, disk)) {
            if (error)
                *error = "line " + std::to_string(number) + ": " + line;
            return std::nullopt;
        }
    }
    if (disk.cylinders == 0) {
        if (error)
            *error = "no geometry";
        return std::nullopt;
    }
    return disk;
}

std::optional<SimDiskDescription> LoadSimDiskDescription(const std::wstring& path,
                                                         std::string* error) {
    const KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    if (!file) {
        if (error)
            *error = "cannot open the description";
        return std::nullopt;
    }
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file.Get(), chunk, sizeof(chunk), &read, nullptr) != FALSE) && read > 0)
        text.append(chunk, read);
    if (!ok) {
        if (error)
            *error = "cannot read the description";
        return std::nullopt;
    }
    return ParseSimDiskDescription(text, error);
}
