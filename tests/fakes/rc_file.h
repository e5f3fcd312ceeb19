// rc_file.h: a reader of the programs' resource scripts (.rc), so tests check the texts and controls the programs really carry.
//
// It reads what the resource compiler (windres) reads: the C preprocessor's comments,
// #define lines and #include "file" (headers for their defines, .rc fragments whole),
// string tables with windres's string rules, dialog templates with their controls and
// styles, and icons. Strings are decoded exactly as windres decodes them: "" is one
// quote, adjacent literals are joined, \n \t \r \b \f \v \\ \' \? and \a (which windres
// turns into 0x08) are single characters, \x takes up to two hex digits, \ with up to
// three octal digits gives that byte, and a backslash before any other character stays
// as a backslash followed by that character. A script the reader cannot follow makes
// load() fail with a message naming the file and line.
#pragma once

#include "common/ui/strings.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lt::test {

// The kinds of control a dialog template can hold.
enum class ControlKind { Static, GroupBox, PushButton, DefPushButton, CheckBox, AutoCheckBox, Radio, Edit, ListView, Icon, Other };

struct RcControl {
    ControlKind kind = ControlKind::Other;
    int id = -1;          // -1 for IDC_STATIC
    std::string text;     // caption (for an icon: the icon's name)
    std::string className;
    uint32_t style = 0;   // including the defaults of the statement (WS_CHILD | WS_VISIBLE, ...)
    int x = 0, y = 0, width = 0, height = 0;
};

struct RcDialog {
    int id = 0;
    int x = 0, y = 0, width = 0, height = 0;
    uint32_t style = 0;
    std::string caption;
    int fontSize = 0;
    std::string fontName;
    std::vector<RcControl> controls;

    const RcControl* control(int controlId) const;
};

class RcFile {
public:
    // Reads `path`; false with `error()` set when the script cannot be read.
    bool load(const std::filesystem::path& path);
    const std::string& error() const { return error_; }

    const std::map<uint32_t, std::string>& strings() const { return strings_; }
    const std::map<int, RcDialog>& dialogs() const { return dialogs_; }
    const std::map<int, std::string>& icons() const { return icons_; }  // id -> file name as written
    // The value of a #define seen while reading (headers included).
    std::optional<int64_t> define(const std::string& name) const;

    const RcDialog* dialog(int id) const;

private:
    friend class RcParser;
    std::map<uint32_t, std::string> strings_;
    std::map<int, RcDialog> dialogs_;
    std::map<int, std::string> icons_;
    std::map<std::string, int64_t> defines_;
    std::string error_;
};

// The Strings port over a resource script's string table, for native tests.
class RcStrings : public ui::Strings {
public:
    explicit RcStrings(const RcFile& file) : file_(file) {}
    std::string text(uint32_t id) const override;

private:
    const RcFile& file_;
};

// Loads a program's script from the source tree's resources/ folder, failing the
// current test (and returning an empty file) when it cannot be read.
const RcFile& programResources(const std::string& rcName);

}  // namespace lt::test
