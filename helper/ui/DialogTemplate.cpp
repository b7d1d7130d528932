#include "DialogTemplate.h"

#include <cstring>

namespace {
constexpr DWORD kExtendedSignature = 0xFFFF0001;

// Reads little-endian fields with bounds checks; every read fails once one has.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}
    bool Ok() const { return m_ok; }
    template <typename T> T Read() {
        T value{};
        if (m_ok && m_pos + sizeof(T) <= m_size)
            std::memcpy(&value, m_data + m_pos, sizeof(T));
        else
            m_ok = false;
        m_pos += sizeof(T);
        return value;
    }
    void Skip(size_t bytes) {
        m_pos += bytes;
        m_ok = m_ok && m_pos <= m_size;
    }
    void AlignTo(size_t boundary) {
        m_pos = (m_pos + boundary - 1) & ~(boundary - 1);
        m_ok = m_ok && m_pos <= m_size;
    }
    std::wstring ReadString() {
        std::wstring text;
        for (wchar_t c = Read<WORD>(); m_ok && c != 0; c = Read<WORD>())
            text.push_back(c);
        return text;
    }
    // A menu, class or title field: 0x0000 none, 0xFFFF and an ordinal, or a name. True when
    // it names something.
    bool SkipNameOrOrdinal() {
        const WORD first = Read<WORD>();
        if (first == 0)
            return false;
        if (first == 0xFFFF) {
            Read<WORD>();
            return true;
        }
        while (m_ok && Read<WORD>() != 0) {
        }
        return true;
    }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

void ReadFont(TemplateReader& reader, DialogTemplateInfo& info) {
    if ((info.style & DS_SETFONT) == 0)
        return;
    const auto points = static_cast<short>(reader.Read<WORD>());
    info.points = points < 0 ? -points : points;
    if (info.extended) {
        info.weight = reader.Read<WORD>();
        info.italic = reader.Read<BYTE>();
        reader.Read<BYTE>(); // character set
    } else {
        info.weight = 0;
        info.italic = FALSE;
    }
    info.face = reader.ReadString();
}

void ReadItems(TemplateReader& reader, DialogTemplateInfo& info, WORD count) {
    for (WORD i = 0; i < count && reader.Ok(); ++i) {
        reader.AlignTo(4);
        DialogTemplateItem item{};
        if (info.extended) {
            reader.Skip(12); // help id, extended style, style
        } else {
            reader.Skip(8); // style, extended style
        }
        item.x = reader.Read<short>();
        item.y = reader.Read<short>();
        item.cx = reader.Read<short>();
        item.cy = reader.Read<short>();
        item.id = info.extended ? reader.Read<DWORD>() : reader.Read<WORD>();
        reader.SkipNameOrOrdinal(); // class
        reader.SkipNameOrOrdinal(); // title
        reader.Skip(reader.Read<WORD>());
        if (reader.Ok())
            info.items.push_back(item);
    }
}
} // namespace

bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplateInfo& info) {
    info = DialogTemplateInfo{};
    TemplateReader reader(data, size);
    info.extended = reader.Read<DWORD>() == kExtendedSignature;
    TemplateReader body(data, size);
    WORD count = 0;
    if (info.extended) {
        body.Skip(8); // version, signature, help id
        info.exStyle = body.Read<DWORD>();
        info.style = body.Read<DWORD>();
    } else {
        info.style = body.Read<DWORD>();
        info.exStyle = body.Read<DWORD>();
    }
    count = body.Read<WORD>();
    body.Skip(4); // x, y
    info.cx = body.Read<short>();
    info.cy = body.Read<short>();
    info.hasMenu = body.SkipNameOrOrdinal();
    body.SkipNameOrOrdinal(); // class
    body.ReadString();        // title
    ReadFont(body, info);
    ReadItems(body, info, count);
    return body.Ok();
}
