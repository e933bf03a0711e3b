#include "DialogTemplate.h"

#include <cstdint>
#include <cstring>

namespace wingui {

namespace {

// Reads the template's little-endian fields in order, each aligned as the template aligns it.
class TemplateReader {
public:
    TemplateReader(const void* bytes, size_t size) : data(static_cast<const uint8_t*>(bytes)), size(size) {}

    bool Ok() const { return ok; }
    uint16_t Word() {
        uint16_t value = 0;
        Read(&value, 2);
        return value;
    }
    uint32_t DoubleWord() {
        uint32_t value = 0;
        Read(&value, 4);
        return value;
    }
    int16_t Short() { return static_cast<int16_t>(Word()); }
    uint8_t Byte() {
        uint8_t value = 0;
        Read(&value, 1);
        return value;
    }
    // A null-terminated UTF-16 string.
    std::wstring String() {
        std::wstring text;
        for (uint16_t c = Word(); ok && c != 0; c = Word()) text += static_cast<wchar_t>(c);
        return text;
    }
    // A name or an ordinal: 0 for none, 0xFFFF and a number, or a string.
    void SkipNameOrOrdinal() {
        const uint16_t first = Word();
        if (first == 0xFFFF)
            Word();
        else if (first != 0)
            for (uint16_t c = Word(); ok && c != 0; c = Word()) {
            }
    }
    void Skip(size_t count) {
        if (!ok || count > size - offset) {
            ok = false;
            return;
        }
        offset += count;
    }
    void AlignTo(size_t boundary) { Skip((boundary - offset % boundary) % boundary); }

private:
    void Read(void* target, size_t count) {
        if (!ok || count > size - offset) {
            ok = false;
            return;
        }
        std::memcpy(target, data + offset, count);
        offset += count;
    }

    const uint8_t* data;
    size_t size;
    size_t offset = 0;
    bool ok = true;
};

DialogUnitsRect ReadRect(TemplateReader& reader) {
    DialogUnitsRect rect;
    rect.x = reader.Short();
    rect.y = reader.Short();
    rect.cx = reader.Short();
    rect.cy = reader.Short();
    return rect;
}

}  // namespace

bool ParseDialogTemplate(const void* bytes, size_t size, DialogTemplateLayout& layout) {
    layout = DialogTemplateLayout();
    TemplateReader reader(bytes, size);
    const uint16_t version = reader.Word();
    const uint16_t signature = reader.Word();
    const bool extended = version == 1 && signature == 0xFFFF;
    uint32_t style = 0;
    if (extended) {
        reader.DoubleWord();  // help id
        reader.DoubleWord();  // extended style
        style = reader.DoubleWord();
    } else {
        // The first double word was the style.
        style = static_cast<uint32_t>(version) | (static_cast<uint32_t>(signature) << 16);
        reader.DoubleWord();  // extended style
    }
    const uint16_t count = reader.Word();
    layout.rect = ReadRect(reader);
    reader.SkipNameOrOrdinal();  // menu
    reader.SkipNameOrOrdinal();  // class
    reader.String();             // title
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        layout.hasFont = true;
        layout.pointSize = reader.Word();
        if (extended) {
            layout.weight = reader.Word();
            layout.italic = reader.Byte() != 0;
            layout.charset = reader.Byte();
        }
        layout.face = reader.String();
    }
    for (uint16_t i = 0; i < count && reader.Ok(); ++i) {
        reader.AlignTo(4);
        DialogTemplateItem item;
        if (extended) {
            reader.DoubleWord();  // help id
            reader.DoubleWord();  // extended style
            reader.DoubleWord();  // style
            item.rect = ReadRect(reader);
            item.id = static_cast<int>(static_cast<int32_t>(reader.DoubleWord()));
        } else {
            reader.DoubleWord();  // style
            reader.DoubleWord();  // extended style
            item.rect = ReadRect(reader);
            item.id = static_cast<int16_t>(reader.Word());
        }
        reader.SkipNameOrOrdinal();  // class
        reader.SkipNameOrOrdinal();  // title
        const uint16_t extra = reader.Word();
        reader.Skip(extra);
        if (reader.Ok()) layout.items.push_back(item);
    }
    return reader.Ok();
}

bool LoadDialogTemplate(HINSTANCE module, int templateId, DialogTemplateLayout& layout) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(templateId), reinterpret_cast<LPCWSTR>(RT_DIALOG));
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    return bytes && ParseDialogTemplate(bytes, SizeofResource(module, found), layout);
}

RECT MapDialogUnits(const DialogUnitsRect& rect, const DialogBaseUnits& units) {
    RECT pixels;
    pixels.left = MulDiv(rect.x, units.x, 4);
    pixels.top = MulDiv(rect.y, units.y, 8);
    pixels.right = pixels.left + MulDiv(rect.cx, units.x, 4);
    pixels.bottom = pixels.top + MulDiv(rect.cy, units.y, 8);
    return pixels;
}

RECT MapDialogUnitsScaled(const DialogUnitsRect& rect, const DialogBaseUnits& units96, int fontDpi) {
    // Each edge is rounded once, from its exact position, so neighbouring controls stay apart.
    auto scaled = [fontDpi](long long units, long long base, long long divisor) {
        const long long denominator = divisor * 96;
        return static_cast<LONG>((units * base * fontDpi + denominator / 2) / denominator);
    };
    RECT pixels;
    pixels.left = scaled(rect.x, units96.x, 4);
    pixels.top = scaled(rect.y, units96.y, 8);
    pixels.right = scaled(static_cast<long long>(rect.x) + rect.cx, units96.x, 4);
    pixels.bottom = scaled(static_cast<long long>(rect.y) + rect.cy, units96.y, 8);
    return pixels;
}

}  // namespace wingui
