// rc_file.cpp: reads resource scripts (string tables, dialog templates, icons) the way windres does.
#include "tests/fakes/rc_file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>

namespace lt::test {

namespace {

// The window-style names the programs' scripts use, with the values of the system headers
// (which the native reader does not include).
const std::map<std::string, int64_t>& styleNames() {
    static const std::map<std::string, int64_t> names = {
        {"WS_OVERLAPPED", 0}, {"WS_POPUP", 0x80000000}, {"WS_CHILD", 0x40000000}, {"WS_MINIMIZE", 0x20000000},
        {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000}, {"WS_CLIPSIBLINGS", 0x04000000},
        {"WS_CLIPCHILDREN", 0x02000000}, {"WS_MAXIMIZE", 0x01000000}, {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000}, {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", 0x00200000},
        {"WS_HSCROLL", 0x00100000}, {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000},
        {"WS_GROUP", 0x00020000}, {"WS_TABSTOP", 0x00010000}, {"WS_MINIMIZEBOX", 0x00020000},
        {"WS_MAXIMIZEBOX", 0x00010000}, {"WS_EX_CLIENTEDGE", 0x200}, {"WS_EX_STATICEDGE", 0x20000},
        {"WS_EX_APPWINDOW", 0x40000}, {"WS_EX_DLGMODALFRAME", 0x1},
        {"DS_3DLOOK", 0x4}, {"DS_FIXEDSYS", 0x8}, {"DS_SETFONT", 0x40}, {"DS_MODALFRAME", 0x80},
        {"DS_CENTER", 0x800}, {"DS_SHELLFONT", 0x48}, {"DS_CONTEXTHELP", 0x2000},
        {"ES_LEFT", 0}, {"ES_CENTER", 0x1}, {"ES_RIGHT", 0x2}, {"ES_MULTILINE", 0x4}, {"ES_UPPERCASE", 0x8},
        {"ES_LOWERCASE", 0x10}, {"ES_PASSWORD", 0x20}, {"ES_AUTOVSCROLL", 0x40}, {"ES_AUTOHSCROLL", 0x80},
        {"ES_NOHIDESEL", 0x100}, {"ES_OEMCONVERT", 0x400}, {"ES_READONLY", 0x800}, {"ES_WANTRETURN", 0x1000},
        {"ES_NUMBER", 0x2000},
        {"BS_PUSHBUTTON", 0}, {"BS_DEFPUSHBUTTON", 1}, {"BS_CHECKBOX", 2}, {"BS_AUTOCHECKBOX", 3},
        {"BS_RADIOBUTTON", 4}, {"BS_3STATE", 5}, {"BS_AUTO3STATE", 6}, {"BS_GROUPBOX", 7},
        {"BS_AUTORADIOBUTTON", 9}, {"BS_LEFTTEXT", 0x20}, {"BS_LEFT", 0x100}, {"BS_RIGHT", 0x200},
        {"BS_CENTER", 0x300}, {"BS_VCENTER", 0xC00}, {"BS_MULTILINE", 0x2000}, {"BS_FLAT", 0x8000},
        {"SS_LEFT", 0}, {"SS_CENTER", 1}, {"SS_RIGHT", 2}, {"SS_ICON", 3}, {"SS_SIMPLE", 0xB},
        {"SS_LEFTNOWORDWRAP", 0xC}, {"SS_ETCHEDHORZ", 0x10}, {"SS_ETCHEDFRAME", 0x12}, {"SS_NOPREFIX", 0x80},
        {"SS_NOTIFY", 0x100}, {"SS_CENTERIMAGE", 0x200}, {"SS_SUNKEN", 0x1000}, {"SS_ENDELLIPSIS", 0x4000},
        {"SS_PATHELLIPSIS", 0x8000},
        {"LVS_REPORT", 0x1}, {"LVS_SINGLESEL", 0x4}, {"LVS_SHOWSELALWAYS", 0x8}, {"LVS_ALIGNLEFT", 0x800},
        {"LVS_NOSORTHEADER", 0x8000},
        {"IDC_STATIC", -1}, {"IDOK", 1}, {"IDCANCEL", 2},
    };
    return names;
}

constexpr uint32_t kWsChild = 0x40000000, kWsVisible = 0x10000000, kWsTabstop = 0x00010000, kWsGroup = 0x00020000,
                   kWsBorder = 0x00800000;

enum class Tok { Str, Num, Ident, Punct, End };

struct Token {
    Tok type = Tok::End;
    std::string text;  // decoded string, identifier, or punctuation
    int64_t number = 0;
    std::string where;  // file:line
};

}  // namespace

// Preprocesses and parses one script into an RcFile.
class RcParser {
public:
    explicit RcParser(RcFile& out) : out_(out) {}

    bool run(const std::filesystem::path& path) {
        if (!preprocess(path, 0)) return false;
        tokens_.push_back(Token{Tok::End, "", 0, "end of input"});
        for (const auto& [name, text] : macros_) {
            if (auto v = evalMacro(text)) out_.defines_[name] = *v;
        }
        return parseAll();
    }

private:
    RcFile& out_;
    std::map<std::string, std::string> macros_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    bool failed_ = false;

    bool fail(const std::string& where, const std::string& what) {
        if (!failed_) out_.error_ = where + ": " + what;
        failed_ = true;
        return false;
    }

    // ---- Preprocessing: comments, directives, macro substitution, tokens.

    bool preprocess(const std::filesystem::path& path, int depth) {
        if (depth > 8) return fail(path.string(), "includes nested too deeply");
        std::ifstream in(path, std::ios::binary);
        if (!in) return fail(path.string(), "cannot be opened");
        std::stringstream buffer;
        buffer << in.rdbuf();
        const std::string source = stripComments(buffer.str());
        std::istringstream lines(source);
        std::string line;
        int lineNo = 0;
        while (std::getline(lines, line)) {
            ++lineNo;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::string where = path.filename().string() + ":" + std::to_string(lineNo);
            std::size_t i = line.find_first_not_of(" \t");
            if (i == std::string::npos) continue;
            if (line[i] == '#') {
                if (!directive(line.substr(i + 1), path, where, depth)) return false;
                continue;
            }
            if (!tokenize(line, where, tokens_, 0)) return false;
        }
        return true;
    }

    // Removes /* */ and // comments outside string literals; keeps line breaks.
    static std::string stripComments(const std::string& s) {
        std::string out;
        bool inString = false;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const char c = s[i];
            if (inString) {
                out += c;
                if (c == '"') inString = false;
                else if (c == '\\' && i + 1 < s.size() && s[i + 1] != '\n') out += s[++i];
                else if (c == '\n') inString = false;
                continue;
            }
            if (c == '"') {
                inString = true;
                out += c;
            } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
                while (i < s.size() && s[i] != '\n') ++i;
                if (i < s.size()) out += '\n';
            } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
                i += 2;
                while (i + 1 < s.size() && !(s[i] == '*' && s[i + 1] == '/')) {
                    if (s[i] == '\n') out += '\n';
                    ++i;
                }
                ++i;
                out += ' ';
            } else {
                out += c;
            }
        }
        return out;
    }

    bool directive(const std::string& text, const std::filesystem::path& file, const std::string& where, int depth) {
        std::istringstream in(text);
        std::string word;
        in >> word;
        if (word == "define") {
            std::string name;
            in >> name;
            if (name.find('(') != std::string::npos) return true;  // function-like macros are not used
            std::string rest;
            std::getline(in, rest);
            macros_[name] = rest;
            return true;
        }
        if (word == "include") {
            std::string rest;
            std::getline(in, rest);
            const auto open = rest.find('"');
            if (open == std::string::npos) return true;  // <system header>: its names are built in
            const auto close = rest.find('"', open + 1);
            if (close == std::string::npos) return fail(where, "bad #include");
            const std::string name = rest.substr(open + 1, close - open - 1);
            return preprocess(file.parent_path() / name, depth + 1);
        }
        // #pragma, #ifndef guards, #endif, #undef: not needed for the programs' scripts.
        return true;
    }

    static int hexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    // Decodes the literal starting at line[i] (the opening quote) as windres does.
    bool readString(const std::string& line, std::size_t& i, const std::string& where, std::string& out) {
        ++i;  // opening quote
        while (true) {
            if (i >= line.size()) return fail(where, "missing closing quote");
            const char c = line[i];
            if (c == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    out += '"';
                    i += 2;
                    continue;
                }
                ++i;
                return true;
            }
            if (c != '\\') {
                out += c;
                ++i;
                continue;
            }
            if (i + 1 >= line.size()) return fail(where, "backslash at end of line");
            const char e = line[i + 1];
            i += 2;
            switch (e) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'v': out += '\v'; break;
            case 'a': out += '\b'; break;  // windres writes 0x08 for \a
            case '\\': out += '\\'; break;
            case '\'': out += '\''; break;
            case '?': out += '?'; break;
            case '"': return fail(where, "windres refuses \\\" (write \"\" for a quote)");
            case 'x': {
                int value = 0, digits = 0;
                while (digits < 2 && i < line.size() && hexValue(line[i]) >= 0) {
                    value = value * 16 + hexValue(line[i++]);
                    ++digits;
                }
                if (digits == 0) {
                    out += "\\x";
                } else {
                    out += static_cast<char>(value);
                }
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    int value = e - '0', digits = 1;
                    while (digits < 3 && i < line.size() && line[i] >= '0' && line[i] <= '7') {
                        value = value * 8 + (line[i++] - '0');
                        ++digits;
                    }
                    out += static_cast<char>(value & 0xFF);
                } else {
                    out += '\\';
                    out += e;
                }
            }
        }
    }

    bool tokenize(const std::string& line, const std::string& where, std::vector<Token>& into, int depth) {
        std::size_t i = 0;
        while (i < line.size()) {
            const char c = line[i];
            if (c == ' ' || c == '\t' || c == '\r') {
                ++i;
            } else if (c == '"' || (c == 'L' && i + 1 < line.size() && line[i + 1] == '"')) {
                if (c == 'L') ++i;
                Token t{Tok::Str, "", 0, where};
                if (!readString(line, i, where, t.text)) return false;
                into.push_back(t);
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                std::size_t j = i;
                while (j < line.size() && std::isalnum(static_cast<unsigned char>(line[j]))) ++j;
                std::string digits = line.substr(i, j - i);
                while (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l' || digits.back() == 'U' ||
                                           digits.back() == 'u'))
                    digits.pop_back();
                Token t{Tok::Num, digits, 0, where};
                try {
                    std::size_t used = 0;
                    t.number = static_cast<int64_t>(std::stoull(digits, &used, 0));
                    if (used != digits.size()) return fail(where, "bad number " + digits);
                } catch (...) {
                    return fail(where, "bad number " + digits);
                }
                into.push_back(t);
                i = j;
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                std::size_t j = i;
                while (j < line.size() && (std::isalnum(static_cast<unsigned char>(line[j])) || line[j] == '_')) ++j;
                const std::string name = line.substr(i, j - i);
                i = j;
                const auto macro = macros_.find(name);
                if (macro != macros_.end() && depth < 16) {
                    if (!tokenize(macro->second, where, into, depth + 1)) return false;
                } else {
                    into.push_back(Token{Tok::Ident, name, 0, where});
                }
            } else {
                into.push_back(Token{Tok::Punct, std::string(1, c), 0, where});
                ++i;
            }
        }
        return true;
    }

    std::optional<int64_t> evalMacro(const std::string& text) {
        std::vector<Token> saved;
        std::swap(saved, tokens_);
        const std::size_t savedPos = pos_;
        const bool savedFailed = failed_;
        const std::string savedError = out_.error_;
        std::optional<int64_t> result;
        if (tokenize(text, "#define", tokens_, 1) && !tokens_.empty()) {
            tokens_.push_back(Token{Tok::End, "", 0, "#define"});
            pos_ = 0;
            int64_t v = 0;
            if (expression(v) && tokens_[pos_].type == Tok::End) result = v;
        }
        std::swap(saved, tokens_);
        pos_ = savedPos;
        failed_ = savedFailed;
        out_.error_ = savedError;
        return result;
    }

    // ---- Parsing.

    const Token& peek(std::size_t ahead = 0) const {
        return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
    }
    const Token& next() {
        const Token& t = tokens_[pos_];
        if (pos_ + 1 < tokens_.size()) ++pos_;
        return t;
    }
    bool isPunct(const char* p, std::size_t ahead = 0) const {
        return peek(ahead).type == Tok::Punct && peek(ahead).text == p;
    }
    bool isIdent(const char* name) const { return peek().type == Tok::Ident && peek().text == name; }
    bool skipComma() {
        if (isPunct(",")) {
            next();
            return true;
        }
        return false;
    }
    bool isBegin() const { return isIdent("BEGIN") || isPunct("{"); }
    bool isEnd() const { return isIdent("END") || isPunct("}"); }

    bool primary(int64_t& v) {
        const Token& t = next();
        if (t.type == Tok::Num) {
            v = t.number;
            return true;
        }
        if (t.type == Tok::Ident) {
            const auto& names = styleNames();
            const auto it = names.find(t.text);
            if (it == names.end()) return fail(t.where, "unknown name " + t.text);
            v = it->second;
            return true;
        }
        if (t.type == Tok::Punct && t.text == "(") {
            if (!expression(v)) return false;
            if (!isPunct(")")) return fail(peek().where, "missing )");
            next();
            return true;
        }
        if (t.type == Tok::Punct && (t.text == "-" || t.text == "~")) {
            if (!primary(v)) return false;
            v = t.text == "-" ? -v : ~v;
            return true;
        }
        return fail(t.where, "expected a number, found '" + t.text + "'");
    }

    // Numbers joined by | + - &; "| NOT x" (and a leading "NOT x") clears x, also from a
    // statement's default style (collected in `cleared`).
    bool expression(int64_t& v, int64_t* cleared = nullptr) {
        v = 0;
        if (isIdent("NOT")) {
            next();
            int64_t x = 0;
            if (!primary(x)) return false;
            v &= ~x;
            if (cleared) *cleared |= x;
        } else if (!primary(v)) {
            return false;
        }
        while (peek().type == Tok::Punct && (peek().text == "|" || peek().text == "+" || peek().text == "-" ||
                                             peek().text == "&")) {
            const std::string op = next().text;
            if (op == "|" && isIdent("NOT")) {
                next();
                int64_t x = 0;
                if (!primary(x)) return false;
                v &= ~x;
                if (cleared) *cleared |= x;
                continue;
            }
            int64_t x = 0;
            if (!primary(x)) return false;
            if (op == "|") v |= x;
            else if (op == "+") v += x;
            else if (op == "-") v -= x;
            else v &= x;
        }
        return true;
    }

    bool string(std::string& s) {
        if (peek().type != Tok::Str) return fail(peek().where, "expected a string, found '" + peek().text + "'");
        s = next().text;
        while (peek().type == Tok::Str) s += next().text;  // windres joins adjacent literals
        return true;
    }

    bool parseAll() {
        while (peek().type != Tok::End && !failed_) {
            if (isIdent("STRINGTABLE")) {
                if (!stringTable()) return false;
            } else if (isIdent("LANGUAGE")) {
                next();
                int64_t a = 0, b = 0;
                if (!expression(a) || !skipComma() || !expression(b)) return fail(peek().where, "bad LANGUAGE");
            } else {
                if (!resource()) return false;
            }
        }
        return !failed_;
    }

    void skipAttributes() {
        while (peek().type == Tok::Ident && !isBegin() &&
               (peek().text == "DISCARDABLE" || peek().text == "MOVEABLE" || peek().text == "PURE" ||
                peek().text == "PRELOAD" || peek().text == "LOADONCALL" || peek().text == "FIXED" ||
                peek().text == "IMPURE"))
            next();
    }

    bool stringTable() {
        next();
        skipAttributes();
        while (isIdent("LANGUAGE") || isIdent("CHARACTERISTICS") || isIdent("VERSION")) {
            const bool language = isIdent("LANGUAGE");
            next();
            int64_t a = 0, b = 0;
            if (!expression(a)) return false;
            if (language && (!skipComma() || !expression(b))) return false;
        }
        if (!isBegin()) return fail(peek().where, "STRINGTABLE without BEGIN");
        next();
        while (!isEnd()) {
            if (peek().type == Tok::End) return fail(peek().where, "STRINGTABLE without END");
            int64_t id = 0;
            const std::string where = peek().where;
            if (!expression(id)) return false;
            skipComma();
            std::string text;
            if (!string(text)) return false;
            if (id < 0 || id > 0xFFFF) return fail(where, "string ID out of range");
            if (out_.strings_.count(static_cast<uint32_t>(id))) return fail(where, "string ID used twice");
            out_.strings_[static_cast<uint32_t>(id)] = text;
        }
        next();
        return true;
    }

    bool resource() {
        const std::string where = peek().where;
        int64_t id = 0;
        if (!expression(id)) return false;
        if (peek().type != Tok::Ident && peek().type != Tok::Num) return fail(where, "expected a resource type");
        const Token type = next();
        if (type.type == Tok::Ident && (type.text == "DIALOG" || type.text == "DIALOGEX")) return dialog(static_cast<int>(id), where);
        if (type.type == Tok::Ident && type.text == "ICON") {
            skipAttributes();
            std::string file;
            if (!string(file)) return false;
            out_.icons_[static_cast<int>(id)] = file;
            return true;
        }
        if (type.type == Tok::Ident && type.text == "VERSIONINFO") {
            while (!isBegin()) {
                if (peek().type == Tok::End) return fail(where, "VERSIONINFO without BEGIN");
                next();
            }
            int depth = 0;
            do {
                if (isBegin()) ++depth;
                else if (isEnd()) --depth;
                else if (peek().type == Tok::End) return fail(where, "VERSIONINFO without END");
                next();
            } while (depth > 0);
            return true;
        }
        // A resource taken from a file (a manifest, for example).
        skipAttributes();
        std::string file;
        return string(file);
    }

    bool dialog(int id, const std::string& where) {
        RcDialog d;
        d.id = id;
        skipAttributes();
        int64_t v[4] = {};
        for (int k = 0; k < 4; ++k) {
            if (k > 0 && !skipComma()) return fail(where, "dialog needs x, y, width, height");
            if (!expression(v[k])) return false;
        }
        d.x = static_cast<int>(v[0]);
        d.y = static_cast<int>(v[1]);
        d.width = static_cast<int>(v[2]);
        d.height = static_cast<int>(v[3]);
        if (skipComma()) {
            int64_t help = 0;
            if (!expression(help)) return false;
        }
        while (!isBegin()) {
            const Token& t = next();
            if (t.type != Tok::Ident) return fail(t.where, "unexpected '" + t.text + "' in dialog header");
            int64_t x = 0;
            if (t.text == "STYLE") {
                if (!expression(x)) return false;
                d.style = static_cast<uint32_t>(x);
            } else if (t.text == "EXSTYLE") {
                if (!expression(x)) return false;
            } else if (t.text == "CAPTION") {
                if (!string(d.caption)) return false;
            } else if (t.text == "FONT") {
                if (!expression(x) || !skipComma() || !string(d.fontName)) return false;
                d.fontSize = static_cast<int>(x);
                while (skipComma())
                    if (!expression(x)) return false;
            } else if (t.text == "LANGUAGE") {
                if (!expression(x) || !skipComma() || !expression(x)) return false;
            } else if (t.text == "CLASS") {
                std::string s;
                if (!string(s)) return false;
            } else if (t.text == "MENU") {
                next();
            } else {
                return fail(t.where, "unknown dialog statement " + t.text);
            }
        }
        next();
        while (!isEnd()) {
            if (peek().type == Tok::End) return fail(where, "dialog without END");
            if (!control(d)) return false;
        }
        next();
        if (out_.dialogs_.count(id)) return fail(where, "dialog ID used twice");
        out_.dialogs_[id] = d;
        return true;
    }

    bool rect(RcControl& c) {
        int64_t v[4] = {};
        for (int k = 0; k < 4; ++k) {
            if (!skipComma() || !expression(v[k])) return fail(peek().where, "control needs x, y, width, height");
        }
        c.x = static_cast<int>(v[0]);
        c.y = static_cast<int>(v[1]);
        c.width = static_cast<int>(v[2]);
        c.height = static_cast<int>(v[3]);
        return true;
    }

    // Optional ", style [, exstyle]" after the rectangle, combined with the statement's default.
    bool optionalStyle(RcControl& c, uint32_t defaults) {
        c.style = defaults | kWsChild | kWsVisible;
        if (skipComma()) {
            int64_t given = 0, cleared = 0;
            if (!expression(given, &cleared)) return false;
            c.style = static_cast<uint32_t>((c.style | given) & ~cleared);
            if (skipComma()) {
                int64_t ex = 0;
                if (!expression(ex)) return false;
            }
        }
        return true;
    }

    static ControlKind buttonKind(uint32_t style) {
        switch (style & 0xF) {
        case 0: return ControlKind::PushButton;
        case 1: return ControlKind::DefPushButton;
        case 2: case 5: return ControlKind::CheckBox;
        case 3: case 6: return ControlKind::AutoCheckBox;
        case 4: case 9: return ControlKind::Radio;
        case 7: return ControlKind::GroupBox;
        default: return ControlKind::Other;
        }
    }

    bool control(RcDialog& d) {
        const Token& t = next();
        if (t.type != Tok::Ident) return fail(t.where, "expected a control statement, found '" + t.text + "'");
        RcControl c;
        const std::string& s = t.text;
        int64_t id = 0;
        if (s == "CONTROL") {
            if (!string(c.text) || !skipComma() || !expression(id) || !skipComma()) return fail(t.where, "bad CONTROL");
            if (peek().type == Tok::Str) {
                if (!string(c.className)) return false;
            } else {
                c.className = next().text;
            }
            int64_t style = 0, cleared = 0;
            if (!skipComma() || !expression(style, &cleared)) return fail(t.where, "bad CONTROL style");
            c.style = static_cast<uint32_t>((style | kWsChild | kWsVisible) & ~cleared);
            if (!rect(c)) return false;
            if (skipComma()) {
                int64_t ex = 0;
                if (!expression(ex)) return false;
            }
            std::string cls;
            for (char ch : c.className) cls += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (cls == "edit") c.kind = ControlKind::Edit;
            else if (cls == "button") c.kind = buttonKind(c.style);
            else if (cls == "static") c.kind = (c.style & 0x1F) == 3 ? ControlKind::Icon : ControlKind::Static;
            else if (cls == "syslistview32") c.kind = ControlKind::ListView;
            else c.kind = ControlKind::Other;
        } else if (s == "EDITTEXT" || s == "LISTBOX" || s == "COMBOBOX") {
            if (!expression(id) || !rect(c) || !optionalStyle(c, kWsBorder | kWsTabstop)) return false;
            c.kind = s == "EDITTEXT" ? ControlKind::Edit : ControlKind::Other;
            c.className = s == "EDITTEXT" ? "Edit" : s;
        } else if (s == "ICON") {
            if (peek().type == Tok::Str) {
                if (!string(c.text)) return false;
            } else {
                int64_t icon = 0;
                if (!expression(icon)) return false;
                c.text = std::to_string(icon);
            }
            if (!skipComma() || !expression(id)) return fail(t.where, "bad ICON");
            int64_t x = 0, y = 0;
            if (!skipComma() || !expression(x) || !skipComma() || !expression(y)) return fail(t.where, "bad ICON");
            c.x = static_cast<int>(x);
            c.y = static_cast<int>(y);
            while (skipComma()) {
                int64_t more = 0;
                if (!expression(more)) return false;
            }
            c.kind = ControlKind::Icon;
            c.className = "Static";
            c.style = 3 | kWsChild | kWsVisible;
        } else {
            struct Statement { const char* name; ControlKind kind; uint32_t style; const char* cls; };
            static const Statement statements[] = {
                {"LTEXT", ControlKind::Static, 0 | kWsGroup, "Static"},
                {"CTEXT", ControlKind::Static, 1 | kWsGroup, "Static"},
                {"RTEXT", ControlKind::Static, 2 | kWsGroup, "Static"},
                {"PUSHBUTTON", ControlKind::PushButton, 0 | kWsTabstop, "Button"},
                {"DEFPUSHBUTTON", ControlKind::DefPushButton, 1 | kWsTabstop, "Button"},
                {"CHECKBOX", ControlKind::CheckBox, 2 | kWsTabstop, "Button"},
                {"AUTOCHECKBOX", ControlKind::AutoCheckBox, 3 | kWsTabstop, "Button"},
                {"RADIOBUTTON", ControlKind::Radio, 4 | kWsTabstop, "Button"},
                {"AUTORADIOBUTTON", ControlKind::Radio, 9 | kWsTabstop, "Button"},
                {"GROUPBOX", ControlKind::GroupBox, 7, "Button"},
            };
            const Statement* st = nullptr;
            for (const auto& candidate : statements)
                if (s == candidate.name) st = &candidate;
            if (!st) return fail(t.where, "unknown control statement " + s);
            if (!string(c.text) || !skipComma() || !expression(id) || !rect(c) || !optionalStyle(c, st->style))
                return fail(t.where, "bad " + s);
            c.kind = st->kind;
            c.className = st->cls;
        }
        c.id = static_cast<int>(id);
        d.controls.push_back(c);
        return true;
    }
};

const RcControl* RcDialog::control(int controlId) const {
    for (const auto& c : controls)
        if (c.id == controlId) return &c;
    return nullptr;
}

bool RcFile::load(const std::filesystem::path& path) {
    *this = RcFile();
    RcParser parser(*this);
    return parser.run(path);
}

std::optional<int64_t> RcFile::define(const std::string& name) const {
    const auto it = defines_.find(name);
    if (it == defines_.end()) return std::nullopt;
    return it->second;
}

const RcDialog* RcFile::dialog(int id) const {
    const auto it = dialogs_.find(id);
    return it == dialogs_.end() ? nullptr : &it->second;
}

std::string RcStrings::text(uint32_t id) const {
    const auto it = file_.strings().find(id);
    return it == file_.strings().end() ? std::string() : it->second;
}

const RcFile& programResources(const std::string& rcName) {
    static std::map<std::string, RcFile> loaded;
    auto it = loaded.find(rcName);
    if (it == loaded.end()) {
        RcFile file;
        const bool ok = file.load(std::filesystem::path(LT_SOURCE_DIR) / "resources" / rcName);
        if (!ok) {
            ADD_FAILURE() << "cannot read " << rcName << ": " << file.error();
            static const RcFile empty;
            return empty;
        }
        it = loaded.emplace(rcName, std::move(file)).first;
    }
    return it->second;
}

}  // namespace lt::test
