/* Stand-in for the outside HTML text library: the small HTML of the product's texts, laid
   out in words that wrap at the rectangle's width. Rendering and measuring share one layout,
   so the height a text is given is the height it draws in. */
#include "pelqview.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

/* ---- styles ---- */

typedef struct Style {
    WCHAR face[LF_FACESIZE];
    LONG height; /* logical units; negative: character height */
    COLORREF colour;
    BOOL bold, italic, underline;
} Style;

typedef struct StyleTable {
    Style* items;
    HFONT* fonts; /* made on first use */
    int count, capacity;
} StyleTable;

static int AddStyle(StyleTable* table, const Style* style) {
    int i;
    for (i = 0; i < table->count; ++i)
        if (memcmp(&table->items[i], style, sizeof(Style)) == 0)
            return i;
    if (table->count == table->capacity) {
        int capacity = table->capacity ? table->capacity * 2 : 8;
        Style* items = realloc(table->items, capacity * sizeof(Style));
        HFONT* fonts;
        if (!items)
            return -1;
        table->items = items;
        fonts = realloc(table->fonts, capacity * sizeof(HFONT));
        if (!fonts)
            return -1;
        table->fonts = fonts;
        table->capacity = capacity;
    }
    table->items[table->count] = *style;
    table->fonts[table->count] = NULL;
    return table->count++;
}

static HFONT FontOf(StyleTable* table, int index) {
    if (!table->fonts[index]) {
        const Style* s = &table->items[index];
        LOGFONTW font;
        memset(&font, 0, sizeof(font));
        font.lfHeight = s->height;
        font.lfWeight = s->bold ? FW_BOLD : FW_NORMAL;
        font.lfItalic = (BYTE)s->italic;
        font.lfUnderline = (BYTE)s->underline;
        font.lfCharSet = DEFAULT_CHARSET;
        font.lfQuality = CLEARTYPE_QUALITY;
        lstrcpynW(font.lfFaceName, s->face, LF_FACESIZE);
        table->fonts[index] = CreateFontIndirectW(&font);
    }
    return table->fonts[index];
}

static void FreeStyles(StyleTable* table) {
    int i;
    for (i = 0; i < table->count; ++i)
        if (table->fonts[i])
            DeleteObject(table->fonts[i]);
    free(table->items);
    free(table->fonts);
}

/* ---- atoms: words, spaces and breaks ---- */

enum AtomKind { ATOM_WORD, ATOM_SPACE, ATOM_LINE, ATOM_PARAGRAPH };

typedef struct Atom {
    int kind;
    int style;
    int start, length; /* in the text buffer */
} Atom;

typedef struct Document {
    WCHAR* text; /* decoded characters of all words */
    int textLength, textCapacity;
    Atom* atoms;
    int atomCount, atomCapacity;
    StyleTable styles;
} Document;

static BOOL PushAtom(Document* doc, int kind, int style) {
    if (doc->atomCount == doc->atomCapacity) {
        int capacity = doc->atomCapacity ? doc->atomCapacity * 2 : 64;
        Atom* atoms = realloc(doc->atoms, capacity * sizeof(Atom));
        if (!atoms)
            return FALSE;
        doc->atoms = atoms;
        doc->atomCapacity = capacity;
    }
    doc->atoms[doc->atomCount].kind = kind;
    doc->atoms[doc->atomCount].style = style;
    doc->atoms[doc->atomCount].start = doc->textLength;
    doc->atoms[doc->atomCount].length = 0;
    ++doc->atomCount;
    return TRUE;
}

static BOOL PushChar(Document* doc, int style, WCHAR c) {
    Atom* last = doc->atomCount ? &doc->atoms[doc->atomCount - 1] : NULL;
    if (!last || last->kind != ATOM_WORD || last->style != style) {
        if (!PushAtom(doc, ATOM_WORD, style))
            return FALSE;
        last = &doc->atoms[doc->atomCount - 1];
    }
    if (doc->textLength == doc->textCapacity) {
        int capacity = doc->textCapacity ? doc->textCapacity * 2 : 256;
        WCHAR* text = realloc(doc->text, capacity * sizeof(WCHAR));
        if (!text)
            return FALSE;
        doc->text = text;
        doc->textCapacity = capacity;
    }
    doc->text[doc->textLength++] = c;
    ++last->length;
    return TRUE;
}

static BOOL PushSpace(Document* doc, int style) {
    const Atom* last = doc->atomCount ? &doc->atoms[doc->atomCount - 1] : NULL;
    /* Runs of white space are one space; none at the start of a line. */
    if (!last || last->kind != ATOM_WORD)
        return TRUE;
    return PushAtom(doc, ATOM_SPACE, style);
}

/* ---- entities ---- */

typedef struct Entity {
    const WCHAR* name;
    WCHAR value;
} Entity;

static const Entity kEntities[] = {
    {L"amp", L'&'},      {L"lt", L'<'},       {L"gt", L'>'},       {L"quot", L'"'},
    {L"apos", L'\''},    {L"nbsp", 0x00A0},   {L"copy", 0x00A9},   {L"reg", 0x00AE},
    {L"trade", 0x2122},  {L"hellip", 0x2026}, {L"ndash", 0x2013},  {L"mdash", 0x2014},
    {L"lsquo", 0x2018},  {L"rsquo", 0x2019},  {L"ldquo", 0x201C},  {L"rdquo", 0x201D},
    {L"bull", 0x2022},   {L"euro", 0x20AC},   {L"middot", 0x00B7}, {L"deg", 0x00B0},
    {L"laquo", 0x00AB},  {L"raquo", 0x00BB},  {L"times", 0x00D7},  {L"auml", 0x00E4},
    {L"ouml", 0x00F6},   {L"uuml", 0x00FC},   {L"Auml", 0x00C4},   {L"Ouml", 0x00D6},
    {L"Uuml", 0x00DC},   {L"szlig", 0x00DF},  {L"eacute", 0x00E9}, {L"egrave", 0x00E8},
    {L"agrave", 0x00E0}, {L"ccedil", 0x00E7},
};

/* Decodes the entity at `p` (after '&'); its length through ';' in *used, 0 when none. */
static WCHAR DecodeEntity(const WCHAR* p, int* used) {
    const WCHAR* end = p;
    size_t i;
    *used = 0;
    while (*end && *end != L';' && end - p < 10)
        ++end;
    if (*end != L';')
        return 0;
    if (*p == L'#') {
        unsigned long value;
        WCHAR* stop;
        if (p[1] == L'x' || p[1] == L'X')
            value = wcstoul(p + 2, &stop, 16);
        else
            value = wcstoul(p + 1, &stop, 10);
        if (stop != end || value == 0 || value > 0xFFFF)
            return 0;
        *used = (int)(end - p) + 1;
        return (WCHAR)value;
    }
    for (i = 0; i < sizeof(kEntities) / sizeof(kEntities[0]); ++i) {
        size_t length = wcslen(kEntities[i].name);
        if ((size_t)(end - p) == length && wcsncmp(p, kEntities[i].name, length) == 0) {
            *used = (int)length + 1;
            return kEntities[i].value;
        }
    }
    return 0;
}

/* ---- tags ---- */

typedef struct OpenTag {
    WCHAR name[12];
    Style style; /* the style before the tag */
} OpenTag;

typedef struct Parser {
    Document* doc;
    Style style;
    OpenTag* stack;
    int depth, capacity;
    int pixelsPerInch;
} Parser;

static BOOL OpenStyleTag(Parser* parser, const WCHAR* name) {
    if (parser->depth == parser->capacity) {
        int capacity = parser->capacity ? parser->capacity * 2 : 16;
        OpenTag* stack = realloc(parser->stack, capacity * sizeof(OpenTag));
        if (!stack)
            return FALSE;
        parser->stack = stack;
        parser->capacity = capacity;
    }
    lstrcpynW(parser->stack[parser->depth].name, name, 12);
    parser->stack[parser->depth].style = parser->style;
    ++parser->depth;
    return TRUE;
}

/* Closes the innermost open tag of that name and everything opened inside it. */
static void CloseStyleTag(Parser* parser, const WCHAR* name) {
    int i;
    for (i = parser->depth - 1; i >= 0; --i) {
        if (lstrcmpiW(parser->stack[i].name, name) == 0) {
            parser->style = parser->stack[i].style;
            parser->depth = i;
            return;
        }
    }
}

static int NamedColour(const WCHAR* value, COLORREF* colour) {
    static const struct {
        const WCHAR* name;
        COLORREF colour;
    } kColours[] = {
        {L"black", RGB(0, 0, 0)},      {L"white", RGB(255, 255, 255)},
        {L"red", RGB(255, 0, 0)},      {L"green", RGB(0, 128, 0)},
        {L"blue", RGB(0, 0, 255)},     {L"navy", RGB(0, 0, 128)},
        {L"gray", RGB(128, 128, 128)}, {L"grey", RGB(128, 128, 128)},
        {L"maroon", RGB(128, 0, 0)},   {L"orange", RGB(255, 165, 0)},
        {L"purple", RGB(128, 0, 128)}, {L"silver", RGB(192, 192, 192)},
        {L"teal", RGB(0, 128, 128)},   {L"olive", RGB(128, 128, 0)},
        {L"yellow", RGB(255, 255, 0)}, {L"lime", RGB(0, 255, 0)},
    };
    size_t i;
    for (i = 0; i < sizeof(kColours) / sizeof(kColours[0]); ++i)
        if (lstrcmpiW(value, kColours[i].name) == 0) {
            *colour = kColours[i].colour;
            return 1;
        }
    return 0;
}

static void ApplyColour(Style* style, const WCHAR* value) {
    COLORREF colour;
    if (value[0] == L'#' && wcslen(value) == 7) {
        WCHAR* stop;
        unsigned long rgb = wcstoul(value + 1, &stop, 16);
        if (*stop == 0)
            style->colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    } else if (NamedColour(value, &colour)) {
        style->colour = colour;
    }
}

/* size="9pt" is points; size="1".."7" and "+n"/"-n" are the HTML steps. */
static void ApplySize(Parser* parser, const WCHAR* value) {
    static const int kStepPoints[] = {8, 10, 12, 14, 18, 24, 36};
    WCHAR* stop;
    long number = wcstol(value, &stop, 10);
    int points;
    if (stop == value)
        return;
    if (lstrcmpiW(stop, L"pt") == 0 || lstrcmpiW(stop, L"px") == 0) {
        if (number < 1 || number > 200)
            return;
        if (lstrcmpiW(stop, L"px") == 0) {
            parser->style.height = -number;
            return;
        }
        points = (int)number;
    } else {
        if (value[0] == L'+' || value[0] == L'-')
            number += 3;
        if (number < 1)
            number = 1;
        if (number > 7)
            number = 7;
        points = kStepPoints[number - 1];
    }
    parser->style.height = -MulDiv(points, parser->pixelsPerInch, 72);
}

/* Reads the attributes of a tag (between its name and '>') and applies those of <font>. */
static void ApplyFontAttributes(Parser* parser, const WCHAR* p, const WCHAR* end) {
    while (p < end) {
        WCHAR name[16], value[64];
        int n = 0, v = 0;
        while (p < end && iswspace(*p))
            ++p;
        while (p < end && *p != L'=' && !iswspace(*p) && *p != L'/') {
            if (n < 15)
                name[n++] = *p;
            ++p;
        }
        name[n] = 0;
        while (p < end && iswspace(*p))
            ++p;
        if (p < end && *p == L'=') {
            WCHAR quote = 0;
            ++p;
            while (p < end && iswspace(*p))
                ++p;
            if (p < end && (*p == L'"' || *p == L'\''))
                quote = *p++;
            while (p < end && (quote ? *p != quote : !iswspace(*p))) {
                if (v < 63)
                    value[v++] = *p;
                ++p;
            }
            if (quote && p < end)
                ++p;
        } else if (n == 0) {
            ++p;
        }
        value[v] = 0;
        if (lstrcmpiW(name, L"face") == 0 && v > 0) {
            WCHAR* comma = wcschr(value, L',');
            if (comma)
                *comma = 0; /* the first of a list of faces */
            lstrcpynW(parser->style.face, value, LF_FACESIZE);
        } else if (lstrcmpiW(name, L"size") == 0) {
            ApplySize(parser, value);
        } else if (lstrcmpiW(name, L"color") == 0) {
            ApplyColour(&parser->style, value);
        }
    }
}

static BOOL IsBlockTag(const WCHAR* name) {
    return lstrcmpiW(name, L"p") == 0 || lstrcmpiW(name, L"div") == 0;
}

/* Handles the tag between `p` (after '<') and `end` (at '>'). */
static BOOL HandleTag(Parser* parser, const WCHAR* p, const WCHAR* end) {
    WCHAR name[12];
    int n = 0;
    BOOL closing = FALSE;
    if (p < end && *p == L'/') {
        closing = TRUE;
        ++p;
    }
    while (p < end && !iswspace(*p) && *p != L'/' && n < 11)
        name[n++] = *p++;
    name[n] = 0;
    while (p < end && !iswspace(*p) && *p != L'/')
        ++p; /* the rest of an over-long name */

    if (lstrcmpiW(name, L"br") == 0)
        return PushAtom(parser->doc, ATOM_LINE, AddStyle(&parser->doc->styles, &parser->style));
    if (IsBlockTag(name))
        return PushAtom(parser->doc, ATOM_PARAGRAPH,
                        AddStyle(&parser->doc->styles, &parser->style));
    if (closing) {
        CloseStyleTag(parser, name);
        return TRUE;
    }
    if (lstrcmpiW(name, L"font") == 0) {
        if (!OpenStyleTag(parser, name))
            return FALSE;
        ApplyFontAttributes(parser, p, end);
    } else if (lstrcmpiW(name, L"b") == 0 || lstrcmpiW(name, L"strong") == 0) {
        if (!OpenStyleTag(parser, name))
            return FALSE;
        parser->style.bold = TRUE;
    } else if (lstrcmpiW(name, L"i") == 0 || lstrcmpiW(name, L"em") == 0) {
        if (!OpenStyleTag(parser, name))
            return FALSE;
        parser->style.italic = TRUE;
    } else if (lstrcmpiW(name, L"u") == 0) {
        if (!OpenStyleTag(parser, name))
            return FALSE;
        parser->style.underline = TRUE;
    }
    return TRUE; /* other tags are left out */
}

static BOOL Parse(Document* doc, LPCWSTR html, const Style* base, int pixelsPerInch) {
    Parser parser;
    const WCHAR* p = html;
    BOOL ok = TRUE;
    memset(&parser, 0, sizeof(parser));
    parser.doc = doc;
    parser.style = *base;
    parser.pixelsPerInch = pixelsPerInch;
    while (*p && ok) {
        int style;
        if (*p == L'<') {
            const WCHAR* end = wcschr(p, L'>');
            if (end) {
                if (wcsncmp(p, L"<!--", 4) == 0) {
                    const WCHAR* close = wcsstr(p, L"-->");
                    p = close ? close + 3 : p + wcslen(p);
                    continue;
                }
                ok = HandleTag(&parser, p + 1, end);
                p = end + 1;
                continue;
            }
        }
        style = AddStyle(&doc->styles, &parser.style);
        if (style < 0) {
            ok = FALSE;
        } else if (iswspace(*p)) {
            ok = PushSpace(doc, style);
            ++p;
        } else if (*p == L'&') {
            int used;
            WCHAR c = DecodeEntity(p + 1, &used);
            if (c) {
                ok = PushChar(doc, style, c); /* a hard space is part of its word */
                p += used + 1;
            } else {
                ok = PushChar(doc, style, *p++);
            }
        } else {
            ok = PushChar(doc, style, *p++);
        }
    }
    free(parser.stack);
    return ok;
}

/* ---- layout ---- */

typedef struct Placed {
    int atom;
    int start, length; /* part of the atom's text on this line */
    int x, width;
} Placed;

typedef struct Layout {
    HDC dc;
    Document* doc;
    int width;
    BOOL draw;
    int left, top; /* where drawing starts */
    Placed* line;
    int lineCount, lineCapacity;
    int lineWidth;
    int y; /* top of the current line */
    BOOL pendingGap;
    int paragraphGap;
} Layout;

static void Metrics(Layout* layout, int style, TEXTMETRICW* metrics) {
    SelectObject(layout->dc, FontOf(&layout->doc->styles, style));
    GetTextMetricsW(layout->dc, metrics);
}

static int TextWidth(Layout* layout, int style, const WCHAR* text, int length) {
    SIZE size = {0, 0};
    SelectObject(layout->dc, FontOf(&layout->doc->styles, style));
    GetTextExtentPoint32W(layout->dc, text, length, &size);
    return size.cx;
}

/* Ends the current line (drawing it), moving y below it; an empty line is one of `style`. */
static void FinishLine(Layout* layout, int emptyStyle) {
    int ascent = 0, descent = 0, i;
    TEXTMETRICW metrics;
    /* Trailing spaces take no room. */
    while (layout->lineCount > 0 &&
           layout->doc->atoms[layout->line[layout->lineCount - 1].atom].kind == ATOM_SPACE)
        --layout->lineCount;
    if (layout->lineCount == 0) {
        Metrics(layout, emptyStyle, &metrics);
        ascent = metrics.tmAscent;
        descent = metrics.tmDescent;
    }
    for (i = 0; i < layout->lineCount; ++i) {
        Metrics(layout, layout->doc->atoms[layout->line[i].atom].style, &metrics);
        if (metrics.tmAscent > ascent)
            ascent = metrics.tmAscent;
        if (metrics.tmDescent > descent)
            descent = metrics.tmDescent;
    }
    if (layout->draw) {
        for (i = 0; i < layout->lineCount; ++i) {
            const Placed* placed = &layout->line[i];
            const Atom* atom = &layout->doc->atoms[placed->atom];
            const Style* style = &layout->doc->styles.items[atom->style];
            Metrics(layout, atom->style, &metrics);
            SetTextColor(layout->dc, style->colour);
            if (atom->kind == ATOM_SPACE) {
                /* An underlined space joins underlined words. */
                if (style->underline)
                    TextOutW(layout->dc, layout->left + placed->x,
                             layout->top + layout->y + ascent - metrics.tmAscent, L" ", 1);
            } else {
                TextOutW(layout->dc, layout->left + placed->x,
                         layout->top + layout->y + ascent - metrics.tmAscent,
                         layout->doc->text + placed->start, placed->length);
            }
        }
    }
    layout->y += ascent + descent;
    layout->lineCount = 0;
    layout->lineWidth = 0;
}

static BOOL Place(Layout* layout, int atom, int start, int length, int width) {
    if (layout->lineCount == layout->lineCapacity) {
        int capacity = layout->lineCapacity ? layout->lineCapacity * 2 : 32;
        Placed* line = realloc(layout->line, capacity * sizeof(Placed));
        if (!line)
            return FALSE;
        layout->line = line;
        layout->lineCapacity = capacity;
    }
    layout->line[layout->lineCount].atom = atom;
    layout->line[layout->lineCount].start = start;
    layout->line[layout->lineCount].length = length;
    layout->line[layout->lineCount].x = layout->lineWidth;
    layout->line[layout->lineCount].width = width;
    ++layout->lineCount;
    layout->lineWidth += width;
    return TRUE;
}

static void StartContent(Layout* layout) {
    if (layout->pendingGap && layout->y > 0)
        layout->y += layout->paragraphGap;
    layout->pendingGap = FALSE;
}

/* Places a word, on the next line when it does not fit; a word wider than a whole line is cut
   between characters. */
static BOOL PlaceWord(Layout* layout, int index) {
    const Atom* atom = &layout->doc->atoms[index];
    const WCHAR* text = layout->doc->text + atom->start;
    int start = 0;
    int width = TextWidth(layout, atom->style, text, atom->length);
    StartContent(layout);
    if (layout->lineWidth + width <= layout->width)
        return Place(layout, index, atom->start, atom->length, width);
    if (layout->lineCount > 0) {
        FinishLine(layout, atom->style);
        if (width <= layout->width)
            return Place(layout, index, atom->start, atom->length, width);
    }
    while (start < atom->length) {
        int count = 1, partWidth;
        while (start + count < atom->length &&
               TextWidth(layout, atom->style, text + start, count + 1) <= layout->width)
            ++count;
        partWidth = TextWidth(layout, atom->style, text + start, count);
        if (!Place(layout, index, atom->start + start, count, partWidth))
            return FALSE;
        start += count;
        if (start < atom->length)
            FinishLine(layout, atom->style);
    }
    return TRUE;
}

/* Lays the document out at the width, drawing when asked; the height it takes. */
static int RunLayout(HDC dc, Document* doc, int width, BOOL draw, int left, int top) {
    Layout layout;
    int i, lastStyle = 0;
    TEXTMETRICW metrics;
    memset(&layout, 0, sizeof(layout));
    layout.dc = dc;
    layout.doc = doc;
    layout.width = width;
    layout.draw = draw;
    layout.left = left;
    layout.top = top;
    if (doc->styles.count > 0) {
        Metrics(&layout, 0, &metrics);
        layout.paragraphGap = (metrics.tmHeight + 1) / 2;
    }
    for (i = 0; i < doc->atomCount; ++i) {
        const Atom* atom = &doc->atoms[i];
        lastStyle = atom->style;
        switch (atom->kind) {
        case ATOM_WORD:
            if (!PlaceWord(&layout, i))
                goto done;
            break;
        case ATOM_SPACE: {
            int spaceWidth = TextWidth(&layout, atom->style, L" ", 1);
            if (layout.lineCount > 0 && layout.lineWidth + spaceWidth <= width &&
                !Place(&layout, i, atom->start, 0, spaceWidth))
                goto done;
            break;
        }
        case ATOM_LINE:
            StartContent(&layout);
            FinishLine(&layout, atom->style);
            break;
        case ATOM_PARAGRAPH:
            if (layout.lineCount > 0)
                FinishLine(&layout, atom->style);
            layout.pendingGap = TRUE;
            break;
        }
    }
    if (layout.lineCount > 0)
        FinishLine(&layout, lastStyle);
done:
    free(layout.line);
    return layout.y;
}

/* ---- the library's calls ---- */

static void BaseStyle(HDC dc, Style* style) {
    LOGFONTW font;
    HGDIOBJ current = GetCurrentObject(dc, OBJ_FONT);
    memset(style, 0, sizeof(*style));
    memset(&font, 0, sizeof(font));
    if (!current || !GetObjectW(current, sizeof(font), &font))
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    lstrcpynW(style->face, font.lfFaceName, LF_FACESIZE);
    style->height = font.lfHeight;
    style->bold = font.lfWeight >= FW_BOLD;
    style->italic = font.lfItalic != 0;
    style->underline = font.lfUnderline != 0;
    style->colour = GetTextColor(dc);
}

/* Parses `html` and lays it out; the height, or -1 when it could not be parsed. */
static int LayOut(HDC dc, LPCWSTR html, int width, BOOL draw, int left, int top) {
    Document doc;
    Style base;
    int height = -1;
    HGDIOBJ previousFont = GetCurrentObject(dc, OBJ_FONT);
    memset(&doc, 0, sizeof(doc));
    BaseStyle(dc, &base);
    if (AddStyle(&doc.styles, &base) == 0 &&
        Parse(&doc, html, &base, GetDeviceCaps(dc, LOGPIXELSY)))
        height = RunLayout(dc, &doc, width, draw, left, top);
    SelectObject(dc, previousFont);
    FreeStyles(&doc.styles);
    free(doc.atoms);
    free(doc.text);
    return height;
}

BOOL WINAPI PelqHtml_Initialize(HINSTANCE module) {
    return module != NULL;
}

BOOL WINAPI PelqHtml_RenderHTMLRect(HDC dc, LPCWSTR html, HINSTANCE module, UINT mode,
                                    LPCRECT rect) {
    int saved, previousMode;
    COLORREF previousColour;
    int height;
    (void)module;
    if (!dc || !html || !rect || (mode != PELQ_HTML_OPAQUE && mode != PELQ_HTML_TRANSPARENT))
        return FALSE;
    saved = SaveDC(dc);
    if (mode == PELQ_HTML_OPAQUE) {
        HBRUSH background = CreateSolidBrush(GetBkColor(dc));
        if (background) {
            FillRect(dc, rect, background);
            DeleteObject(background);
        }
    }
    IntersectClipRect(dc, rect->left, rect->top, rect->right, rect->bottom);
    previousMode = SetBkMode(dc, TRANSPARENT);
    previousColour = GetTextColor(dc);
    height = LayOut(dc, html, rect->right - rect->left, TRUE, rect->left, rect->top);
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
    RestoreDC(dc, saved);
    return height >= 0;
}

int WINAPI PelqHtml_GetHTMLHeight(HDC dc, LPCWSTR html, HINSTANCE module, int width) {
    (void)module;
    if (!dc || !html || width < 1)
        return -1;
    return LayOut(dc, html, width, FALSE, 0, 0);
}
