// Effect and vertex-shader objects: kept source, light checks.
#include "gfx/effect.h"

#include <cctype>
#include <sstream>

namespace gfx {
namespace {

// Drops comments (';' and "//" to the end of the line, "/* */" blocks).
std::string StripComments(const std::string& text, bool semicolon) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i < text.size() && text[i] != '\n') ++i;
            out += '\n';
        } else if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? text.size() : end + 1;
            out += ' ';
        } else if (semicolon && text[i] == ';') {
            while (i < text.size() && text[i] != '\n') ++i;
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

HRESULT CreateEffect(Device*, const void* data, size_t size, Effect** out) {
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    if (!data || size == 0) return ERR_INVALIDCALL;
    std::string text(static_cast<const char*>(data), size);
    std::istringstream words(StripComments(text, false));
    std::string word, technique;
    bool found = false;
    while (words >> word) {
        if (word == "technique") {
            found = true;
            if (words >> technique) {
                size_t brace = technique.find('{');
                if (brace != std::string::npos) technique.resize(brace);
            }
            break;
        }
    }
    if (!found) return ERR_INVALIDDATA;
    Effect* e = new Effect;
    e->m_source.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    e->m_technique = technique;
    *out = e;
    return S_OK;
}

HRESULT AssembleShader(const void* data, size_t size, std::vector<uint8_t>& code) {
    code.clear();
    if (!data || size == 0) return ERR_INVALIDCALL;
    std::string text = StripComments(std::string(static_cast<const char*>(data), size), true);
    std::istringstream lines(text);
    std::string line, assembled;
    bool haveVersion = false;
    while (std::getline(lines, line)) {
        size_t b = line.find_first_not_of(" \t\r");
        if (b == std::string::npos) continue;
        size_t e = line.find_last_not_of(" \t\r");
        line = line.substr(b, e - b + 1);
        if (!haveVersion) {
            // "vs.M.m" or "vs_M_m"
            if (line.size() < 6 || std::tolower(static_cast<unsigned char>(line[0])) != 'v' ||
                std::tolower(static_cast<unsigned char>(line[1])) != 's' || (line[2] != '.' && line[2] != '_') ||
                !std::isdigit(static_cast<unsigned char>(line[3])) || (line[4] != '.' && line[4] != '_') ||
                !(std::isdigit(static_cast<unsigned char>(line[5])) || line[5] == 'x' || line[5] == 'X'))
                return ERR_INVALIDDATA;
            haveVersion = true;
        }
        assembled += line;
        assembled += '\n';
    }
    if (!haveVersion) return ERR_INVALIDDATA;
    code.assign(assembled.begin(), assembled.end());
    return S_OK;
}

HRESULT CreateVertexShader(Device*, const std::vector<uint8_t>& code, VertexShader** out) {
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    if (code.size() < 6) return ERR_INVALIDCALL;
    VertexShader* s = new VertexShader;
    s->m_code = code;
    s->m_major = code[3] - '0';
    s->m_minor = std::isdigit(code[5]) ? code[5] - '0' : 0;
    *out = s;
    return S_OK;
}

}  // namespace gfx
