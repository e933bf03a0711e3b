#include "settings/IniDocument.h"

#include <sstream>

#include "io/File.h"
#include "text/Utf.h"

namespace {
char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

std::string TrimText(const std::string& text) {
    const char* blanks = " \t\r\n";
    size_t begin = text.find_first_not_of(blanks);
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(blanks);
    return text.substr(begin, end - begin + 1);
}

std::string LowerAscii(std::string text) {
    for (auto& c : text) c = LowerAscii(c);
    return text;
}

std::vector<std::string> SplitList(const std::string& text, char delimiter) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(delimiter, start);
        if (end == std::string::npos) end = text.size();
        std::string piece = TrimText(text.substr(start, end - start));
        if (!piece.empty()) pieces.push_back(piece);
        start = end + 1;
    }
    return pieces;
}

IniDocument IniDocument::Parse(const std::string& utf8) {
    IniDocument document;
    document.sections.push_back(Section{});
    std::istringstream stream(utf8);
    std::string raw;
    while (std::getline(stream, raw)) {
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::string trimmed = TrimText(raw);
        if (trimmed.size() >= 2 && trimmed.front() == '[') {
            size_t close = trimmed.find(']');
            if (close != std::string::npos) {
                document.sections.push_back(Section{TrimText(trimmed.substr(1, close - 1)), {}});
                continue;
            }
        }
        Line line{raw, "", ""};
        size_t equals = trimmed.find('=');
        bool comment = trimmed.empty() || trimmed[0] == ';' || trimmed.compare(0, 2, "//") == 0;
        if (!comment && equals != std::string::npos && equals > 0) {
            line.key = TrimText(trimmed.substr(0, equals));
            line.value = TrimText(trimmed.substr(equals + 1));
        }
        document.sections.back().lines.push_back(line);
    }
    return document;
}

bool IniDocument::Load(const std::string& path, IniDocument& document, std::string& error) {
    // Through the packager's own file layer: on Windows a narrow stream would take the UTF-8 path
    // for the ANSI code page.
    std::string bytes, text;
    if (!ReadWholeFile(path, bytes, error)) return false;
    if (!DecodeTextFile(bytes, text, error)) {
        error = path + ": " + error;
        return false;
    }
    document = Parse(text);
    return true;
}

const IniDocument::Section* IniDocument::Find(const std::string& section) const {
    for (const auto& s : sections)
        if (!s.name.empty() && EqualsNoCase(s.name, section)) return &s;
    return nullptr;
}

IniDocument::Section* IniDocument::Find(const std::string& section) {
    for (auto& s : sections)
        if (!s.name.empty() && EqualsNoCase(s.name, section)) return &s;
    return nullptr;
}

bool IniDocument::HasSection(const std::string& section) const {
    return Find(section) != nullptr;
}

std::optional<std::string> IniDocument::Get(const std::string& section, const std::string& key) const {
    const Section* s = Find(section);
    if (!s) return std::nullopt;
    for (const auto& line : s->lines)
        if (!line.key.empty() && EqualsNoCase(line.key, key)) return line.value;
    return std::nullopt;
}

std::string IniDocument::GetOr(const std::string& section, const std::string& key, const std::string& fallback) const {
    auto value = Get(section, key);
    return value ? *value : fallback;
}

void IniDocument::Set(const std::string& section, const std::string& key, const std::string& value) {
    Section* s = Find(section);
    if (!s) {
        sections.push_back(Section{section, {}});
        s = &sections.back();
    }
    for (auto& line : s->lines) {
        if (!line.key.empty() && EqualsNoCase(line.key, key)) {
            line.value = value;
            line.text = line.key + "=" + value;
            return;
        }
    }
    // Keep blank lines that end the section after the new entry.
    auto position = s->lines.end();
    while (position != s->lines.begin() && TrimText((position - 1)->text).empty()) --position;
    s->lines.insert(position, Line{key + "=" + value, key, value});
}

void IniDocument::SetFirst(const std::string& section, const std::string& key, const std::string& value) {
    if (Get(section, key)) {
        Set(section, key, value);
        return;
    }
    Section* s = Find(section);
    if (!s) {
        sections.push_back(Section{section, {}});
        s = &sections.back();
    }
    s->lines.insert(s->lines.begin(), Line{key + "=" + value, key, value});
}

void IniDocument::Remove(const std::string& section, const std::string& key) {
    Section* s = Find(section);
    if (!s) return;
    for (auto it = s->lines.begin(); it != s->lines.end();) {
        if (!it->key.empty() && EqualsNoCase(it->key, key))
            it = s->lines.erase(it);
        else
            ++it;
    }
}

std::vector<std::pair<std::string, std::string>> IniDocument::Entries(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    const Section* s = Find(section);
    if (!s) return entries;
    for (const auto& line : s->lines) {
        if (line.key.empty()) continue;
        bool seen = false;
        for (const auto& entry : entries) seen = seen || EqualsNoCase(entry.first, line.key);
        if (!seen) entries.emplace_back(line.key, line.value);
    }
    return entries;
}

std::string IniDocument::ToText() const {
    std::string text;
    for (const auto& s : sections) {
        if (!s.name.empty()) text += "[" + s.name + "]\n";
        for (const auto& line : s.lines) text += line.text + "\n";
    }
    return text;
}

std::string IniDocument::ToUtf16File() const {
    return EncodeUtf16LeWithBom(ToText());
}
