// rc_file_test.cpp: the resource-script reader decodes strings as windres does and reads dialog templates.
#include "tests/fakes/rc_file.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace lt::test;

namespace {

void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

// The expected texts are what windres put into the compiled table for these lines.
TEST(RcFile, decodesStringsExactlyAsWindresDoes) {
    TempDir dir;
    write(dir.file("ids.h"), "#pragma once\n#define IDS_A 5\n#define IDS_B (IDS_A + 1)\n");
    write(dir.file("t.rc"),
          "#include <windows.h>\n"
          "#include \"ids.h\"\n"
          "/* a comment with \"quotes\" */\n"
          "STRINGTABLE DISCARDABLE\n"
          "BEGIN\n"
          "  IDS_A, \"say \"\"hi\"\" now\"  // trailing comment\n"
          "  IDS_B \"line1\\nline2\\ttab\\\\back\"\n"
          "  7 \"oct\\101 hex\\x41 bell\\a q\\047\"\n"
          "  8, \"con\" \"cat\"\n"
          "  9, L\"wide\"\n"
          "  11 \"trail \\r end \\e \\z\"\n"
          "  12 \"percent %1 and \\q // not a comment\"\n"
          "  13 \"a\\x4142 b\\1012\"\n"
          "  0x0e \"hexid\"\n"
          "  15 \"ends in a blank \"\n"
          "END\n");
    RcFile rc;
    ASSERT_TRUE(rc.load(dir.file("t.rc"))) << rc.error();
    RcStrings strings(rc);
    EXPECT_EQ(strings.text(5), "say \"hi\" now");
    EXPECT_EQ(strings.text(6), "line1\nline2\ttab\\back");
    EXPECT_EQ(strings.text(7), "octA hexA bell\b q'");
    EXPECT_EQ(strings.text(8), "concat");
    EXPECT_EQ(strings.text(9), "wide");
    EXPECT_EQ(strings.text(11), "trail \r end \\e \\z");
    EXPECT_EQ(strings.text(12), "percent %1 and \\q // not a comment");
    EXPECT_EQ(strings.text(13), "aA42 bA2");
    EXPECT_EQ(strings.text(14), "hexid");
    EXPECT_EQ(strings.text(15), "ends in a blank ");
    EXPECT_EQ(strings.text(99), "");
    EXPECT_EQ(rc.define("IDS_B"), 6);
}

TEST(RcFile, refusesWhatWindresRefuses) {
    TempDir dir;
    const char* scripts[] = {
        "STRINGTABLE\nBEGIN\n 1 \"backslash quote \\\" here\"\nEND\n",
        "STRINGTABLE\nBEGIN\n 1 \"no end\nEND\n",
        "STRINGTABLE\nBEGIN\n 1 \"one\"\n 1 \"twice\"\nEND\n",
        "STRINGTABLE\nBEGIN\n UNDEFINED_ID \"x\"\nEND\n",
    };
    for (const char* script : scripts) {
        write(dir.file("bad.rc"), script);
        RcFile rc;
        EXPECT_FALSE(rc.load(dir.file("bad.rc"))) << script;
        EXPECT_NE(rc.error(), "") << script;
    }
}

TEST(RcFile, readsDialogTemplatesWithTheirControlsAndStyles) {
    TempDir dir;
    write(dir.file("d.rc"),
          "#define IDD_X 102\n#define IDC_BOX 1005\n"
          "IDD_X DIALOGEX 0, 0, 254, 294\n"
          "STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU\n"
          "CAPTION \"Change Settings\"\n"
          "FONT 8, \"MS Sans Serif\", 0, 0, 0x1\n"
          "BEGIN\n"
          "  GROUPBOX \"Log\", IDC_STATIC, 7, 7, 100, 40\n"
          "  AUTOCHECKBOX \"Enable Logging\", 1004, 14, 20, 80, 10\n"
          "  EDITTEXT IDC_BOX, 10, 30, 40, 12, ES_NUMBER | ES_AUTOHSCROLL | NOT WS_BORDER\n"
          "  CONTROL \"\", 1030, \"Edit\", ES_CENTER | ES_UPPERCASE | WS_BORDER | WS_DISABLED, 1, 2, 3, 4\n"
          "  DEFPUSHBUTTON \"Verify Password\", 1024, 5, 6, 7, 8\n"
          "  CONTROL \"\", 1023, \"Static\", SS_SUNKEN, 1, 2, 3, 4\n"
          "  CONTROL \"\", 1040, \"SysListView32\", LVS_REPORT | WS_BORDER, 1, 2, 3, 4\n"
          "  ICON 128, IDC_STATIC, 1, 2\n"
          "END\n"
          "128 ICON \"app.ico\"\n");
    RcFile rc;
    ASSERT_TRUE(rc.load(dir.file("d.rc"))) << rc.error();
    const RcDialog* d = rc.dialog(102);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->caption, "Change Settings");
    EXPECT_EQ(d->width, 254);
    EXPECT_EQ(d->height, 294);
    EXPECT_EQ(d->fontSize, 8);
    EXPECT_EQ(d->fontName, "MS Sans Serif");
    ASSERT_EQ(d->controls.size(), 8u);
    EXPECT_EQ(d->control(1004)->kind, ControlKind::AutoCheckBox);
    const RcControl* box = d->control(1005);
    EXPECT_EQ(box->kind, ControlKind::Edit);
    EXPECT_EQ(box->style & 0x2000u, 0x2000u);    // ES_NUMBER
    EXPECT_EQ(box->style & 0x00800000u, 0u);     // NOT WS_BORDER cleared the default
    EXPECT_EQ(box->style & 0x00010000u, 0x00010000u);  // WS_TABSTOP kept
    const RcControl* address = d->control(1030);
    EXPECT_EQ(address->kind, ControlKind::Edit);
    EXPECT_EQ(address->style & 0x08000008u, 0x08000008u);  // disabled, upper case
    EXPECT_EQ(d->control(1024)->kind, ControlKind::DefPushButton);
    EXPECT_EQ(d->control(1023)->kind, ControlKind::Static);
    EXPECT_EQ(d->control(1040)->kind, ControlKind::ListView);
    EXPECT_EQ(d->controls[0].kind, ControlKind::GroupBox);
    EXPECT_EQ(d->controls[0].id, -1);
    EXPECT_EQ(d->controls.back().kind, ControlKind::Icon);
    EXPECT_EQ(rc.icons().at(128), "app.ico");
}
