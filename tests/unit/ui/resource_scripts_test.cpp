// resource_scripts_test.cpp: every dialog of the three programs' resource scripts, from one table: each is there, its control IDs are unique and its controls lie inside it.
#include "tests/fakes/rc_file.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace lt::test;

namespace {

struct Script {
    const char* file;
    std::vector<const char*> dialogs;  // every dialog the script holds, by its ID's name
};

const Script kScripts[] = {
    {"progstation.rc", {"IDD_PROGSTATION", "IDD_ADDRESS_LIST", "IDD_REV_C_INPUTS", "IDD_LOGIN_STATION",
                        "IDD_CHANGE_PASSWORD"}},
    {"ethtester.rc", {"IDD_ETHTESTER_MAIN", "IDD_EEPROM_DETAILS"}},
    {"setupeditor.rc", {"IDD_SETTINGS_EDITOR", "IDD_LEDGER_SETTINGS", "IDD_LOGIN_EDITOR", "IDD_CHANGE_PASSWORD"}},
};

}  // namespace

TEST(ResourceScripts, everyDialogIsListedHasUniqueControlIdsAndKeepsItsControlsInside) {
    for (const Script& script : kScripts) {
        SCOPED_TRACE(script.file);
        const RcFile& rc = programResources(script.file);
        std::set<int> listed;
        for (const char* name : script.dialogs) {
            SCOPED_TRACE(name);
            const auto id = rc.define(name);
            ASSERT_TRUE(id.has_value()) << "no #define";
            listed.insert(int(*id));
            const RcDialog* d = rc.dialog(int(*id));
            ASSERT_NE(d, nullptr) << "no dialog template";
            std::set<int> ids;
            for (const RcControl& c : d->controls) {
                const std::string control = std::to_string(c.id) + " \"" + c.text + "\"";
                if (c.id != -1) {
                    EXPECT_TRUE(ids.insert(c.id).second) << "ID used twice: " << control;
                }
                EXPECT_GE(c.x, 0) << control;
                EXPECT_GE(c.y, 0) << control;
                EXPECT_LE(c.x + c.width, d->width) << control;
                EXPECT_LE(c.y + c.height, d->height) << control;
            }
        }
        std::set<int> present;
        for (const auto& [id, dialog] : rc.dialogs()) present.insert(id);
        EXPECT_EQ(present, listed) << "a dialog of the script is missing from this table, or the other way round";
    }
}
