// The .x file syntax: a 16-byte header, then templates (skipped) and data objects,
// in the text form or the binary token form.  Both forms become the same tree of
// objects whose data members are a flat list of numbers and strings; the loader
// reads that list in the order its templates declare the members.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mesh/xmesh.h"

namespace xmesh {
namespace {

enum class Tok { Name, String, Number, Guid, OBrace, CBrace, Sep, Template, Other, End };

struct Token {
    Tok kind = Tok::End;
    bool isFloat = false;
    double number = 0;
    std::string text;
};

// Binary token ids.
enum : uint16_t {
    TOKEN_NAME = 1, TOKEN_STRING = 2, TOKEN_INTEGER = 3, TOKEN_GUID = 5, TOKEN_INTEGER_LIST = 6,
    TOKEN_FLOAT_LIST = 7, TOKEN_OBRACE = 10, TOKEN_CBRACE = 11, TOKEN_OPAREN = 12, TOKEN_CPAREN = 13,
    TOKEN_OBRACKET = 14, TOKEN_CBRACKET = 15, TOKEN_OANGLE = 16, TOKEN_CANGLE = 17, TOKEN_DOT = 18,
    TOKEN_COMMA = 19, TOKEN_SEMICOLON = 20, TOKEN_TEMPLATE = 31, TOKEN_WORD = 40, TOKEN_DWORD = 41,
    TOKEN_FLOAT = 42, TOKEN_DOUBLE = 43, TOKEN_CHAR = 44, TOKEN_UCHAR = 45, TOKEN_SWORD = 46, TOKEN_SDWORD = 47,
    TOKEN_VOID = 48, TOKEN_LPSTR = 49, TOKEN_UNICODE = 50, TOKEN_CSTRING = 51, TOKEN_ARRAY = 52,
};

// One token at a time from either form.
class Lexer {
public:
    Lexer(const uint8_t* p, size_t n, bool binary, bool doubles) : p_(p), n_(n), binary_(binary), doubles_(doubles) {}

    // False with `error` set on malformed input.
    bool Next(Token& t, std::string& error) {
        if (pendingCount_ > 0) {
            --pendingCount_;
            t = Token{};
            t.kind = Tok::Number;
            t.isFloat = pendingFloat_;
            if (pendingFloat_) {
                if (doubles_) {
                    double d;
                    if (!Read(&d, 8)) return Fail(error, "unexpected end of file in a float list");
                    t.number = d;
                } else {
                    float f;
                    if (!Read(&f, 4)) return Fail(error, "unexpected end of file in a float list");
                    t.number = f;
                }
            } else {
                uint32_t v;
                if (!Read(&v, 4)) return Fail(error, "unexpected end of file in an integer list");
                t.number = v;
            }
            return true;
        }
        return binary_ ? NextBinary(t, error) : NextText(t, error);
    }
    size_t Offset() const { return i_; }

private:
    bool Fail(std::string& error, const char* what) {
        error = std::string(what) + " (near byte " + std::to_string(i_) + ")";
        return false;
    }
    bool Read(void* out, size_t bytes) {
        if (n_ - i_ < bytes) return false;
        std::memcpy(out, p_ + i_, bytes);
        i_ += bytes;
        return true;
    }

    bool NextBinary(Token& t, std::string& error) {
        t = Token{};
        if (i_ >= n_) {
            t.kind = Tok::End;
            return true;
        }
        uint16_t id;
        if (!Read(&id, 2)) return Fail(error, "unexpected end of file");
        uint32_t count;
        switch (id) {
        case TOKEN_NAME:
        case TOKEN_STRING:
            if (!Read(&count, 4) || n_ - i_ < count) return Fail(error, "unexpected end of file in a name");
            t.text.assign(reinterpret_cast<const char*>(p_ + i_), count);
            i_ += count;
            if (id == TOKEN_STRING) {
                uint16_t term;
                if (!Read(&term, 2)) return Fail(error, "unexpected end of file after a string");
                t.kind = Tok::String;
            } else {
                t.kind = Tok::Name;
            }
            return true;
        case TOKEN_INTEGER: {
            uint32_t v;
            if (!Read(&v, 4)) return Fail(error, "unexpected end of file in an integer");
            t.kind = Tok::Number;
            t.number = v;
            return true;
        }
        case TOKEN_GUID:
            if (n_ - i_ < 16) return Fail(error, "unexpected end of file in a GUID");
            i_ += 16;
            t.kind = Tok::Guid;
            return true;
        case TOKEN_INTEGER_LIST:
        case TOKEN_FLOAT_LIST: {
            if (!Read(&count, 4)) return Fail(error, "unexpected end of file in a list");
            size_t each = id == TOKEN_INTEGER_LIST ? 4 : (doubles_ ? 8 : 4);
            if (count > (n_ - i_) / each) return Fail(error, "list longer than the file");
            pendingCount_ = count;
            pendingFloat_ = id == TOKEN_FLOAT_LIST;
            t.kind = Tok::Sep;  // an empty stand-in; the list's numbers follow
            return true;
        }
        case TOKEN_OBRACE: t.kind = Tok::OBrace; return true;
        case TOKEN_CBRACE: t.kind = Tok::CBrace; return true;
        case TOKEN_COMMA:
        case TOKEN_SEMICOLON: t.kind = Tok::Sep; return true;
        case TOKEN_TEMPLATE: t.kind = Tok::Template; return true;
        case TOKEN_OPAREN: case TOKEN_CPAREN: case TOKEN_OBRACKET: case TOKEN_CBRACKET: case TOKEN_OANGLE:
        case TOKEN_CANGLE: case TOKEN_DOT: case TOKEN_WORD: case TOKEN_DWORD: case TOKEN_FLOAT: case TOKEN_DOUBLE:
        case TOKEN_CHAR: case TOKEN_UCHAR: case TOKEN_SWORD: case TOKEN_SDWORD: case TOKEN_VOID: case TOKEN_LPSTR:
        case TOKEN_UNICODE: case TOKEN_CSTRING: case TOKEN_ARRAY:
            t.kind = Tok::Other;
            return true;
        default:
            error = "unknown binary token " + std::to_string(id) + " at byte " + std::to_string(i_ - 2);
            return false;
        }
    }

    static bool IsNameChar(uint8_t c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
               c == '.' || c >= 0x80;
    }

    bool NextText(Token& t, std::string& error) {
        t = Token{};
        for (;;) {
            while (i_ < n_ && (p_[i_] == ' ' || p_[i_] == '\t' || p_[i_] == '\r' || p_[i_] == '\n' || p_[i_] == 0))
                ++i_;
            if (i_ >= n_) {
                t.kind = Tok::End;
                return true;
            }
            if (p_[i_] == '#' || (p_[i_] == '/' && i_ + 1 < n_ && p_[i_ + 1] == '/')) {
                while (i_ < n_ && p_[i_] != '\n') ++i_;
                continue;
            }
            break;
        }
        uint8_t c = p_[i_];
        if (c == '{') { ++i_; t.kind = Tok::OBrace; return true; }
        if (c == '}') { ++i_; t.kind = Tok::CBrace; return true; }
        if (c == ',' || c == ';') { ++i_; t.kind = Tok::Sep; return true; }
        if (c == '<') {
            size_t e = i_;
            while (e < n_ && p_[e] != '>') ++e;
            if (e >= n_) return Fail(error, "unterminated GUID");
            i_ = e + 1;
            t.kind = Tok::Guid;
            return true;
        }
        if (c == '"') {
            size_t e = i_ + 1;
            while (e < n_ && p_[e] != '"') ++e;
            if (e >= n_) return Fail(error, "unterminated string");
            t.kind = Tok::String;
            t.text.assign(reinterpret_cast<const char*>(p_ + i_ + 1), e - i_ - 1);
            i_ = e + 1;
            return true;
        }
        auto digitAt = [&](size_t k) { return k < n_ && p_[k] >= '0' && p_[k] <= '9'; };
        bool numberStart = digitAt(i_) || (c == '.' && digitAt(i_ + 1)) ||
                           ((c == '-' || c == '+') && (digitAt(i_ + 1) || (i_ + 1 < n_ && p_[i_ + 1] == '.' && digitAt(i_ + 2))));
        if (numberStart) {
            size_t e = i_;
            bool isFloat = false;
            if (p_[e] == '-' || p_[e] == '+') ++e;
            while (e < n_) {
                uint8_t d = p_[e];
                if (d >= '0' && d <= '9') {
                    ++e;
                } else if (d == '.') {
                    isFloat = true;
                    ++e;
                } else if ((d == 'e' || d == 'E') && e + 1 < n_ &&
                           ((p_[e + 1] >= '0' && p_[e + 1] <= '9') || p_[e + 1] == '-' || p_[e + 1] == '+')) {
                    isFloat = true;
                    e += 2;
                } else {
                    break;
                }
            }
            const char* first = reinterpret_cast<const char*>(p_ + i_);
            const char* last = reinterpret_cast<const char*>(p_ + e);
            if (*first == '+') ++first;
            t.kind = Tok::Number;
            t.isFloat = isFloat;
            auto [end, ec] = std::from_chars(first, last, t.number);
            if (ec != std::errc() || end != last)
                return Fail(error, ("malformed number \"" + std::string(reinterpret_cast<const char*>(p_ + i_), e - i_) +
                                    "\"").c_str());
            i_ = e;
            return true;
        }
        if (IsNameChar(c)) {
            // Names may hold code page 932 characters, whose second byte can look
            // like a brace or a bracket: a lead byte takes the next byte with it.
            size_t e = i_;
            while (e < n_ && IsNameChar(p_[e])) {
                bool lead = (p_[e] >= 0x81 && p_[e] <= 0x9F) || (p_[e] >= 0xE0 && p_[e] <= 0xFC);
                e += (lead && e + 1 < n_) ? 2 : 1;
            }
            t.text.assign(reinterpret_cast<const char*>(p_ + i_), e - i_);
            i_ = e;
            t.kind = t.text == "template" ? Tok::Template : Tok::Name;
            return true;
        }
        ++i_;
        t.kind = Tok::Other;  // [ ] ( ) and the like: template syntax only
        return true;
    }

    const uint8_t* p_;
    size_t n_, i_ = 16;
    bool binary_, doubles_;
    uint32_t pendingCount_ = 0;
    bool pendingFloat_ = false;
};

class Parser {
public:
    Parser(Lexer& lex, std::string& error) : lex_(lex), error_(error) {}

    bool Get(Token& t) {
        if (hasPeek_) {
            t = std::move(peek_);
            hasPeek_ = false;
            return true;
        }
        return lex_.Next(t, error_);
    }
    bool Peek(Token& t) {
        if (!hasPeek_) {
            if (!lex_.Next(peek_, error_)) return false;
            hasPeek_ = true;
        }
        t = peek_;
        return true;
    }

    bool SkipTemplate() {
        Token t;
        int depth = 0;
        do {
            if (!Get(t)) return false;
            if (t.kind == Tok::End) return Fail("unexpected end of file in a template");
            if (t.kind == Tok::OBrace) ++depth;
            if (t.kind == Tok::CBrace) --depth;
        } while (depth > 0 || t.kind != Tok::CBrace);
        return true;
    }

    // `type` already read.
    bool ParseObject(const std::string& type, XObject& obj, int depth) {
        if (depth > 64) return Fail("objects nested too deeply");
        obj.type = type;
        Token t;
        if (!Get(t)) return false;
        if (t.kind == Tok::Name) {
            obj.name = t.text;
            if (!Get(t)) return false;
        }
        if (t.kind != Tok::OBrace) return Fail(("'{' expected after " + type).c_str());
        for (;;) {
            if (!Get(t)) return false;
            switch (t.kind) {
            case Tok::End: return Fail(("unexpected end of file inside " + type).c_str());
            case Tok::CBrace: return true;
            case Tok::Sep:
            case Tok::Guid: break;
            case Tok::Number: {
                XValue v;
                v.number = t.number;
                v.isFloat = t.isFloat;
                obj.values.push_back(v);
                break;
            }
            case Tok::String: {
                XValue v;
                v.isString = true;
                v.text = t.text;
                obj.values.push_back(std::move(v));
                break;
            }
            case Tok::OBrace: {  // reference to a named object
                Token r;
                if (!Get(r)) return false;
                if (r.kind != Tok::Name) return Fail(("object name expected in a reference inside " + type).c_str());
                Token e;
                if (!Get(e)) return false;
                if (e.kind == Tok::Guid && !Get(e)) return false;
                if (e.kind != Tok::CBrace) return Fail("'}' expected after a reference");
                XObject::Child c;
                c.reference = r.text;
                obj.children.push_back(std::move(c));
                break;
            }
            case Tok::Name: {
                XObject::Child c;
                c.object = std::make_unique<XObject>();
                if (!ParseObject(t.text, *c.object, depth + 1)) return false;
                obj.children.push_back(std::move(c));
                break;
            }
            case Tok::Template: return Fail("template inside a data object");
            case Tok::Other: return Fail(("unexpected symbol inside " + type).c_str());
            }
        }
    }

    bool ParseFile(XFile& out) {
        for (;;) {
            Token t;
            if (!Get(t)) return false;
            if (t.kind == Tok::End) return true;
            if (t.kind == Tok::Template) {
                if (!SkipTemplate()) return false;
                continue;
            }
            if (t.kind == Tok::Sep) continue;
            if (t.kind != Tok::Name) return Fail("data object expected");
            auto obj = std::make_unique<XObject>();
            if (!ParseObject(t.text, *obj, 0)) return false;
            out.objects.push_back(std::move(obj));
        }
    }

    bool Fail(const char* what) {
        error_ = what;
        error_ += " (near byte " + std::to_string(lex_.Offset()) + ")";
        return false;
    }

private:
    Lexer& lex_;
    std::string& error_;
    Token peek_;
    bool hasPeek_ = false;
};

}  // namespace

HRESULT ParseXFile(const void* data, size_t size, XFile& out, std::string* error) {
    std::string err;
    out = XFile{};
    const uint8_t* p = static_cast<const uint8_t*>(data);
    if (!p || size < 16 || std::memcmp(p, "xof ", 4) != 0) {
        if (error) *error = "not a .x file (no \"xof \" header)";
        return E_FAIL;
    }
    std::string format(reinterpret_cast<const char*>(p + 8), 4);
    std::string floatSize(reinterpret_cast<const char*>(p + 12), 4);
    if (format == "tzip" || format == "bzip") {
        if (error) *error = "compressed .x files are not supported";
        return E_FAIL;
    }
    if (format != "txt " && format != "bin ") {
        if (error) *error = "unknown .x format \"" + format + "\"";
        return E_FAIL;
    }
    if (floatSize != "0032" && floatSize != "0064") {
        if (error) *error = "unknown .x float size \"" + floatSize + "\"";
        return E_FAIL;
    }
    out.binary = format == "bin ";
    out.doubles = floatSize == "0064";
    Lexer lex(p, size, out.binary, out.doubles);
    Parser parser(lex, err);
    if (!parser.ParseFile(out)) {
        if (error) *error = err;
        out.objects.clear();
        return E_FAIL;
    }
    return S_OK;
}

// ---- writing -------------------------------------------------------------------------

namespace {

// An integer value as a whole number: truncated toward zero like a cast, but a value
// beyond the 64-bit range (a file may hold any number of digits) is held at the
// range's end and NaN writes as 0.
int64_t WholeValue(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 9223372036854775808.0) return INT64_MAX;
    if (v < -9223372036854775808.0) return INT64_MIN;
    return static_cast<int64_t>(v);
}

void Put16(std::string& s, uint16_t v) { s.append(reinterpret_cast<const char*>(&v), 2); }
void Put32(std::string& s, uint32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); }
void PutName(std::string& s, const std::string& n) {
    Put16(s, TOKEN_NAME);
    Put32(s, uint32_t(n.size()));
    s += n;
}

void WriteBinary(std::string& s, const XObject& o, bool doubles) {
    PutName(s, o.type);
    if (!o.name.empty()) PutName(s, o.name);
    Put16(s, TOKEN_OBRACE);
    size_t i = 0;
    while (i < o.values.size()) {
        const XValue& v = o.values[i];
        if (v.isString) {
            Put16(s, TOKEN_STRING);
            Put32(s, uint32_t(v.text.size()));
            s += v.text;
            Put16(s, TOKEN_SEMICOLON);
            ++i;
            continue;
        }
        size_t j = i;
        while (j < o.values.size() && !o.values[j].isString && o.values[j].isFloat == v.isFloat) ++j;
        Put16(s, v.isFloat ? TOKEN_FLOAT_LIST : TOKEN_INTEGER_LIST);
        Put32(s, uint32_t(j - i));
        for (size_t k = i; k < j; ++k) {
            if (v.isFloat && doubles) {
                double d = o.values[k].number;
                s.append(reinterpret_cast<const char*>(&d), 8);
            } else if (v.isFloat) {
                float f = float(o.values[k].number);
                s.append(reinterpret_cast<const char*>(&f), 4);
            } else {
                Put32(s, static_cast<uint32_t>(WholeValue(o.values[k].number)));
            }
        }
        i = j;
    }
    for (const auto& c : o.children) {
        if (c.object) {
            WriteBinary(s, *c.object, doubles);
        } else {
            Put16(s, TOKEN_OBRACE);
            PutName(s, c.reference);
            Put16(s, TOKEN_CBRACE);
        }
    }
    Put16(s, TOKEN_CBRACE);
}

void WriteText(std::string& s, const XObject& o, int indent) {
    std::string pad(size_t(indent) * 1, ' ');
    s += pad + o.type;
    if (!o.name.empty()) s += " " + o.name;
    s += " {\n";
    if (!o.values.empty()) {
        s += pad + " ";
        for (const XValue& v : o.values) {
            if (v.isString) {
                s += "\"" + v.text + "\";";
            } else if (v.isFloat) {
                char buf[48];
                std::snprintf(buf, sizeof buf, "%.6f;", v.number);
                s += buf;
            } else {
                s += std::to_string(WholeValue(v.number)) + ";";
            }
        }
        s += "\n";
    }
    for (const auto& c : o.children) {
        if (c.object) WriteText(s, *c.object, indent + 1);
        else s += pad + " { " + c.reference + " }\n";
    }
    s += pad + "}\n";
}

}  // namespace

std::string WriteXFile(const XFile& file, bool binary, bool doubles) {
    std::string s = binary ? (doubles ? "xof 0303bin 0064" : "xof 0303bin 0032") : "xof 0303txt 0032\n";
    for (const auto& o : file.objects) {
        if (binary) WriteBinary(s, *o, doubles);
        else WriteText(s, *o, 0);
    }
    return s;
}

}  // namespace xmesh
