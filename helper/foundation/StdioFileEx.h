// A line-oriented text file read and written as UTF-16 with a byte-order mark or as 8-bit
// text in a chosen code page.
//
// Header-only: the file operations throw the class library's file exceptions, and those must
// be thrown in the module that catches them.
#pragma once

#include <windows.h>

#include <classlib/StdioFile.h>

#include <cstdio>
#include <vector>

#include "TextConversion.h"

class CStdioFileEx : public CStdioFile {
public:
    // Asks WriteString for UTF-16; such a file is always written in binary mode.
    static constexpr UINT WriteUnicodeFlag = 0x20000;

    CStdioFileEx() = default;
    // Opens the file or throws CFileException.
    CStdioFileEx(LPCWSTR fileName, UINT openFlags) {
        CFileException error;
        if (!Open(fileName, openFlags, &error))
            AfxThrowFileException(error.m_cause, error.m_lOsError, fileName);
    }
    ~CStdioFileEx() override = default;

    void SetFilePath(LPCWSTR path) override {
        if (!path)
            AfxThrowInvalidArgException();
        CStdioFile::SetFilePath(path);
    }

    BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr) override {
        openFlags_ = AdjustFlags(fileName, openFlags, unicode_);
        return CStdioFile::Open(fileName, openFlags_, error);
    }

    using CStdioFile::ReadString;
    // One line without its line end (CR LF, CR or LF); FALSE at the end of the file.
    BOOL ReadString(CString& text) override {
        if (unicode_ && GetPosition() == 0) {
            BYTE mark[2];
            Read(mark, 2);
        }
        BOOL read;
        if (unicode_) {
            read = CStdioFile::ReadString(text);
        } else {
            // An 8-bit line longer than the buffer comes in pieces, one per call.
            std::vector<char> line(8192, '\0');
            read = fgets(line.data(), 8191, m_pStream) != nullptr;
            if (!read && ferror(m_pStream))
                AfxThrowFileException(CFileException::genericException, errno, m_strFileName);
            std::vector<wchar_t> wide(8192, L'\0');
            if (read && MultiByteToWide(line.data(), wide.data(), 8192, codePage_) > 0)
                text = wide.data();
        }
        if (read) {
            const int length = text.GetLength();
            if (length >= 2 && text[length - 2] == L'\r' && text[length - 1] == L'\n')
                text.Delete(length - 2, 2);
            else if (length >= 1 && (text[length - 1] == L'\r' || text[length - 1] == L'\n'))
                text.Delete(length - 1);
        }
        return read;
    }

    // Writes the text as it is: the caller writes "\r\n" itself.
    void WriteString(LPCWSTR text) override {
        if (!text)
            AfxThrowInvalidArgException();
        if (openFlags_ & WriteUnicodeFlag) {
            if (GetPosition() == 0) {
                const BYTE mark[2] = {0xFF, 0xFE};
                Write(mark, 2);
            }
            Write(text, static_cast<UINT>(wcslen(text) * sizeof(wchar_t)));
            return;
        }
        const int bytes = WideToMultiByteSize(text, codePage_);
        if (bytes <= 0)
            return;
        std::vector<char> narrow(static_cast<size_t>(bytes), '\0');
        const int written = WideToMultiByte(text, narrow.data(), bytes, codePage_);
        if (written > 0)
            Write(narrow.data(), static_cast<UINT>(written));
    }

    // -1: the system ANSI code page at each conversion.
    void SetCodePage(int codePage) { codePage_ = codePage; }
    bool IsUnicode() const { return unicode_; }

    // Whether the file starts with the UTF-16 little-endian byte-order mark.
    static bool IsFileUnicode(LPCWSTR fileName) {
        FILE* file = fileName ? _wfopen(fileName, L"rb") : nullptr;
        if (!file)
            return false;
        BYTE mark[2] = {};
        const bool unicode = fread(mark, 1, 2, file) == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
        fclose(file);
        return unicode;
    }

    ULONGLONG GetCharCount() const {
        if (!m_pStream)
            return 0;
        const ULONGLONG length = GetLength();
        if (!unicode_)
            return length;
        return length >= 2 ? (length - 2) / 2 : 0;
    }

private:
    // A text file opened only for reading is read as UTF-16 (in binary mode) when it carries
    // the mark; every other open counts as UTF-16.
    static UINT AdjustFlags(LPCWSTR fileName, UINT flags, bool& unicode) {
        unicode = true;
        if ((flags & typeText) && !(flags & (modeCreate | modeWrite))) {
            unicode = IsFileUnicode(fileName);
            if (unicode)
                flags = (flags & ~typeText) | typeBinary;
        }
        if (flags & WriteUnicodeFlag)
            flags = (flags & ~typeText) | typeBinary;
        return flags;
    }

    bool unicode_ = true;
    UINT openFlags_ = 0;
    int codePage_ = -1;
};
